#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessary {

// Writes 16-bit PCM mono wave files. Standard library only, so that build tools can use it.
class WavWriter
{
public:
    // The most sample bytes one file holds: its sizes are 32 bits.
    static constexpr std::uint64_t kMostData = 0xFFFFFFFFull - 36 - 1;
    // The size a stream gives while its length is not known yet, as sox and ffmpeg read it.
    static constexpr std::uint32_t kUnknownSize = 0xFFFFFFFFu;

    // The 44 bytes before `dataBytes` bytes of samples; kUnknownSize for a stream not yet ended.
    static std::string header(int rate, std::uint32_t dataBytes);
    // The samples as the file holds them, little-endian, appended to `out`.
    static void appendSamples(const std::vector<std::int16_t>& samples, std::string& out);
    // False when the file could not be written in full.
    static bool write(const std::string& path, const std::vector<std::int16_t>& samples, int rate);
};

} // namespace tessary
