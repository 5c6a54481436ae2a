#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// Mono signed 16-bit samples in the machine's byte order.
using Pcm = std::vector<std::int16_t>;

// Turns a wave file into mono 16-bit samples at the output's rate, through SDL's WAV loader and
// converter. A sample file is whatever a user dropped into the folder, so every size is bounded
// before anything is allocated: the file, its rate, its length once decoded, and the conversion
// buffer (computed in 64 bits; SDL's own arithmetic is int).
class SampleDecoder
{
public:
    static constexpr long long kMaxFileBytes = 8LL * 1024 * 1024;
    static constexpr int kMinRate = 4000;
    static constexpr int kMaxRate = 192000;
    static constexpr int kMaxSeconds = 30;

    // The samples at `rate`, or null when the file cannot be read or decoded, is not a regular
    // file, or lies outside the bounds. Never blocks on a FIFO or device node.
    static std::shared_ptr<const Pcm> decode(const std::string& path, int rate);
    // The rate the file declares, or 0 when it cannot be decoded or lies outside the bounds.
    static int nativeRate(const std::string& path);
    // The same for a file already in memory.
    static std::shared_ptr<const Pcm> decodeBytes(std::string_view bytes, int rate);
};

} // namespace tessary
