#pragma once

#include "SampleDecoder.h"

#include <cstddef>
#include <cstdint>

namespace tessary {

// A sample cut off by the next would stop in one step: a click across the whole band. It is
// faded out instead over the next sample's first few milliseconds, mixed under them, so that
// the next onset stays exactly where it was.
class CutFade
{
public:
    static constexpr int kMs = 4;
    static std::size_t frames(int rate) { return static_cast<std::size_t>(rate) * kMs / 1000; }

    // Mixes into `out` (the next sample's first `outFrames` frames) what `cut` had still to
    // say from frame `from` on, falling from full to nothing over `fade` frames, of which
    // `done` were mixed before (a fade across two buffers); returns the frames mixed now.
    static std::size_t mix(std::int16_t* out, std::size_t outFrames, const Pcm& cut,
                           std::size_t from, std::size_t fade, std::size_t done = 0);
};

} // namespace tessary
