#include "JsonText.h"

#include "Utf8.h"

#include <cstdio>

namespace tessary {

std::string JsonText::quote(std::string_view text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = 0;
        const std::optional<char32_t> c = Utf8::decode(text, i, n);
        if (!c) {
            // A byte that is not UTF-8 would make the whole document unreadable.
            out += "\\ufffd";
        } else if (*c == '"' || *c == '\\') {
            out += '\\';
            out += static_cast<char>(*c);
        } else if (*c == '\n') {
            out += "\\n";
        } else if (*c == '\t') {
            out += "\\t";
        } else if (*c < 0x20 || *c == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(*c));
            out += escaped;
        } else {
            out.append(text.substr(i, n));
        }
        i += n;
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
