#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessary::testing {

// 16-bit PCM wave files for tests and benchmarks.
std::string wavBytes(const std::vector<std::int16_t>& samples, int rate = 22050, int channels = 1);
bool writeWav(const std::string& path, const std::vector<std::int16_t>& samples, int rate = 22050,
              int channels = 1);
// A wave file with any format fields, for files that are odd or hostile. `dataBytes` is what
// the header declares; `data` is what follows it.
std::string wavWithHeader(int formatTag, int channels, std::uint32_t rate, int bitsPerSample,
                          int blockAlign, std::uint32_t dataBytes, const std::string& data,
                          const std::string& fmtExtra = {});
bool writeBytes(const std::string& path, const std::string& bytes);
std::vector<std::int16_t> readRawS16(const std::string& path);
// A 500 Hz square wave at a quarter of full scale.
std::vector<std::int16_t> toneBurst(int milliseconds, int rate = 22050);

} // namespace tessary::testing
