#include "WavWriter.h"

#include <fstream>

namespace tessary {

namespace {

void put(std::string& out, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

} // namespace

std::string WavWriter::header(int rate, std::uint32_t dataBytes)
{
    std::string out;
    out += "RIFF";
    put(out, dataBytes == kUnknownSize ? kUnknownSize : 36 + dataBytes, 4);
    out += "WAVEfmt ";
    put(out, 16, 4);
    put(out, 1, 2); // PCM
    put(out, 1, 2); // mono
    put(out, static_cast<std::uint32_t>(rate), 4);
    put(out, static_cast<std::uint32_t>(rate) * 2, 4);
    put(out, 2, 2);
    put(out, 16, 2);
    out += "data";
    put(out, dataBytes, 4);
    return out;
}

void WavWriter::appendSamples(const std::vector<std::int16_t>& samples, std::string& out)
{
    out.reserve(out.size() + samples.size() * 2);
    for (std::int16_t s : samples)
        put(out, static_cast<std::uint16_t>(s), 2);
}

bool WavWriter::write(const std::string& path, const std::vector<std::int16_t>& samples, int rate)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    std::string bytes = header(rate, static_cast<std::uint32_t>(samples.size() * 2));
    appendSamples(samples, bytes);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    f.close(); // a full disk shows here, not before
    return !f.fail();
}

} // namespace tessary
