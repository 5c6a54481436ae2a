#include "BridgeAnswer.h"

#include "protocol.h"

namespace tessary {

namespace {

// A decimal number of at most three digits, then `end` or the line's end: the protocol's
// numbers are all below 256.
bool number(std::string_view& text, int& value)
{
    std::size_t digits = 0;
    value = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        if (++digits > 3)
            return false;
        value = value * 10 + (text[digits - 1] - '0');
    }
    text.remove_prefix(digits);
    return digits > 0 && value <= 255;
}

bool separator(std::string_view& text)
{
    if (text.empty() || text.front() != ' ')
        return false;
    text.remove_prefix(1);
    return true;
}

} // namespace

std::optional<BridgeAnswer> BridgeAnswer::parse(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    const std::string_view tag = TB_ANSWER " ";
    if (line.substr(0, tag.size()) != tag)
        return std::nullopt;
    line.remove_prefix(tag.size());
    BridgeAnswer a;
    if (!number(line, a.version) || !separator(line) || !number(line, a.room) || !separator(line) ||
        !number(line, a.nonce) || !line.empty())
        return std::nullopt;
    return a;
}

} // namespace tessary
