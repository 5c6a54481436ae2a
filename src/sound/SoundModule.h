#pragma once

#include "OutputChoice.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tessary {

// The players live in a module of their own (libpulse, SDL and what they pull in), loaded when
// the sound output is first looked for rather than when the window starts: the window is shown
// without them. The module sits at ../lib/quorlin-tessary/modules/ beside the executable, in the
// build tree and installed alike, and is loaded by that absolute path only.
class SoundModule
{
public:
    // The output, found through the module; None, with the reason, when it cannot be loaded.
    static OutputChoice findOutput();
    // The wave file at `path` as mono 16-bit samples at `rate` (0: the file's own, which
    // `rate` is set to), through the players' decoder; null when it cannot be played or the
    // module cannot be loaded.
    static std::shared_ptr<const std::vector<std::int16_t>> decode(const std::string& path,
                                                                   int& rate);
    static std::filesystem::path path();
};

} // namespace tessary
