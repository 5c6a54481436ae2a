#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessary {

// Writes 16-bit PCM mono wave files. Standard library only, so that build tools can use it.
class WavWriter
{
public:
    // The whole file's bytes.
    static std::string encode(const std::vector<std::int16_t>& samples, int rate);
    // False when the file could not be written in full.
    static bool write(const std::string& path, const std::vector<std::int16_t>& samples, int rate);
};

} // namespace tessary
