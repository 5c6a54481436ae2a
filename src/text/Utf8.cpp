#include "Utf8.h"

#include <cstdio>

namespace tessary {

std::optional<char32_t> Utf8::decode(std::string_view text, std::size_t at, std::size_t& length)
{
    length = 1;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return lead;
    std::size_t n = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        n = 2, c = lead & 0x1f, least = 0x80;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        n = 3, c = lead & 0x0f, least = 0x800;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        n = 4, c = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (at + n > text.size())
        return std::nullopt;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(k) & 0xc0) != 0x80)
            return std::nullopt;
        c = (c << 6) | (byte(k) & 0x3f);
    }
    if (c < least || c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff))
        return std::nullopt;
    length = n;
    return c;
}

std::string Utf8::printable(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = 0;
        const std::optional<char32_t> c = decode(text, i, n);
        if (c && *c >= 0x20 && *c != 0x7f && !(*c >= 0x80 && *c <= 0x9f) && *c != '\\') {
            out.append(text.substr(i, n));
        } else if (c && *c == '\\') {
            out += "\\\\";
        } else {
            for (std::size_t k = 0; k < n; ++k) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02x",
                              static_cast<unsigned char>(text[i + k]));
                out += escaped;
            }
        }
        i += n;
    }
    return out;
}

} // namespace tessary
