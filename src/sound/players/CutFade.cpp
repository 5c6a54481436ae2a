#include "CutFade.h"

#include <algorithm>

namespace tessary {

std::size_t CutFade::mix(std::int16_t* out, std::size_t outFrames, const Pcm& cut, std::size_t from,
                         std::size_t fade, std::size_t done)
{
    if (from >= cut.size() || done >= fade)
        return 0;
    const std::size_t n = std::min({fade - done, outFrames, cut.size() - from});
    for (std::size_t i = 0; i < n; ++i) {
        const long faded = static_cast<long>(cut[from + i]) * static_cast<long>(fade - done - i) /
                           static_cast<long>(fade);
        out[i] = static_cast<std::int16_t>(std::clamp(out[i] + faded, -32768L, 32767L));
    }
    return n;
}

} // namespace tessary
