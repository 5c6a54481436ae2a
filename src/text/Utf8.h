#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessary {

// UTF-8 as the text we hand on must be: one decoder, strict, for JSON, the terminal and
// espeak-ng alike.
class Utf8
{
public:
    // The code point that starts at `at`, and in `length` how many bytes it takes. Nothing, with
    // a length of 1, for a byte that starts no valid sequence: a stray continuation byte, a lead
    // byte C0, C1 or F5-FF, an overlong form, a surrogate, a value past U+10FFFF, a cut sequence.
    static std::optional<char32_t> decode(std::string_view text, std::size_t at,
                                          std::size_t& length);
    // The text for a terminal: C0 and C1 controls, DEL and bytes that are not UTF-8 as \xNN,
    // a backslash as \\, so that a device's name can never move the cursor or set a title.
    static std::string printable(std::string_view text);
};

} // namespace tessary
