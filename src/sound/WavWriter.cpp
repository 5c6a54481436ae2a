#include "WavWriter.h"

#include <fstream>

namespace tessary {

namespace {

void put(std::ofstream& f, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        f.put(static_cast<char>((v >> (8 * i)) & 0xFF));
}

} // namespace

bool WavWriter::write(const std::string& path, const std::vector<std::int16_t>& samples, int rate)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    const auto data = static_cast<std::uint32_t>(samples.size() * 2);
    f.write("RIFF", 4);
    put(f, 36 + data, 4);
    f.write("WAVEfmt ", 8);
    put(f, 16, 4);
    put(f, 1, 2); // PCM
    put(f, 1, 2); // mono
    put(f, static_cast<std::uint32_t>(rate), 4);
    put(f, static_cast<std::uint32_t>(rate) * 2, 4);
    put(f, 2, 2);
    put(f, 16, 2);
    f.write("data", 4);
    put(f, data, 4);
    for (std::int16_t s : samples)
        put(f, static_cast<std::uint16_t>(s), 2);
    f.close(); // a full disk shows here, not before
    return !f.fail();
}

} // namespace tessary
