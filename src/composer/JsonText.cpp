#include "JsonText.h"

#include <cstdio>

namespace tessary {

namespace {

// How many bytes of a valid UTF-8 sequence start at `at`; 0 for a byte that starts none.
std::size_t utf8Length(std::string_view s, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(s[at]);
    const std::size_t n = lead >= 0xf0 && lead <= 0xf4 ? 4
                          : lead >= 0xe0               ? 3
                          : lead >= 0xc2               ? 2
                                                       : 0;
    if (n == 0 || at + n > s.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(s[at + k]) & 0xc0) != 0x80)
            return 0;
    }
    return n;
}

} // namespace

std::string JsonText::quote(std::string_view text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80) {
            // Bytes that are not UTF-8 would make the whole document unreadable.
            const std::size_t n = utf8Length(text, i);
            if (n == 0) {
                out += "\\ufffd";
            } else {
                out.append(text.substr(i, n));
                i += n - 1;
            }
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20 || u == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string JsonText::strings(const std::vector<std::string>& items)
{
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? ", " : "") + quote(items[i]);
    return out + "]";
}

std::string JsonText::numbers(const std::vector<int>& items)
{
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? ", " : "") + std::to_string(items[i]);
    return out + "]";
}

} // namespace tessary
