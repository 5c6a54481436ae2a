#pragma once

#include "OutputChoice.h"

#include <filesystem>

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
    static std::filesystem::path path();
};

} // namespace tessary
