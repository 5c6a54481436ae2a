#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessary::samplegen {

// Writes 16-bit PCM mono wave files.
class WavWriter
{
public:
    static bool write(const std::string& path, const std::vector<std::int16_t>& samples, int rate);
};

} // namespace tessary::samplegen
