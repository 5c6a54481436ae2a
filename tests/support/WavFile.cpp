#include "WavFile.h"

#include <fstream>
#include <iterator>

namespace tessary::testing {

namespace {

void put16(std::string& out, std::uint16_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void put32(std::string& out, std::uint32_t v)
{
    put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

} // namespace

std::string wavBytes(const std::vector<std::int16_t>& samples, int rate, int channels)
{
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, static_cast<std::uint16_t>(channels));
    put32(out, static_cast<std::uint32_t>(rate));
    put32(out, static_cast<std::uint32_t>(rate * channels * 2));
    put16(out, static_cast<std::uint16_t>(channels * 2));
    put16(out, 16);
    out += "data";
    put32(out, dataBytes);
    for (std::int16_t s : samples)
        put16(out, static_cast<std::uint16_t>(s));
    return out;
}

std::string wavWithHeader(int formatTag, int channels, std::uint32_t rate, int bitsPerSample,
                          int blockAlign, std::uint32_t dataBytes, const std::string& data,
                          const std::string& fmtExtra)
{
    std::string out = "RIFF";
    put32(out, static_cast<std::uint32_t>(28 + fmtExtra.size() + 8 + data.size()));
    out += "WAVEfmt ";
    put32(out, static_cast<std::uint32_t>(16 + fmtExtra.size()));
    put16(out, static_cast<std::uint16_t>(formatTag));
    put16(out, static_cast<std::uint16_t>(channels));
    put32(out, rate);
    put32(out, rate * static_cast<std::uint32_t>(blockAlign));
    put16(out, static_cast<std::uint16_t>(blockAlign));
    put16(out, static_cast<std::uint16_t>(bitsPerSample));
    out += fmtExtra;
    out += "data";
    put32(out, dataBytes);
    return out + data;
}

bool writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

bool writeWav(const std::string& path, const std::vector<std::int16_t>& samples, int rate,
              int channels)
{
    return writeBytes(path, wavBytes(samples, rate, channels));
}

std::vector<std::int16_t> readRawS16(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto lo = static_cast<unsigned char>(bytes[2 * i]);
        const auto hi = static_cast<unsigned char>(bytes[2 * i + 1]);
        samples[i] = static_cast<std::int16_t>(lo | (hi << 8));
    }
    return samples;
}

std::vector<std::int16_t> toneBurst(int milliseconds, int rate)
{
    const long long count = 1LL * rate * milliseconds / 1000;
    const int half = rate / 1000; // 500 Hz
    std::vector<std::int16_t> samples(static_cast<std::size_t>(count));
    for (long long i = 0; i < count; ++i)
        samples[static_cast<std::size_t>(i)] = (i / half) % 2 ? -8192 : 8192;
    return samples;
}

} // namespace tessary::testing
