#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// A word's codes written the way firmware takes them. `Dollar` is exactly what "Copy" puts on
// the clipboard; the others paste into C, assembler data tables or BASIC.
class CodeFormat
{
public:
    enum class Style { Dollar, Hex, Dec, C, Basic };

    // "dollar", "hex", "dec", "c" or "basic"; nothing for any other name.
    static std::optional<Style> parseStyle(std::string_view name);
    static const std::vector<std::string_view>& styleNames();

    // The codes (0..63) in that style, on one line, with no line end.
    static std::string format(const std::vector<int>& codes, Style style);
    // A named C array of the codes: `const uint8_t NAME[] = {...};`, or with `flash` an
    // Arduino entry in flash and its length (`NAME[] PROGMEM`, `NAME_length`). `name` must be a
    // C identifier.
    static std::string namedArray(const std::vector<int>& codes, std::string_view name, bool flash);
    // The same in parts, for codes written as they come: the opening, runs of codes each
    // preceded by the separator but the first, the closing. Not for an empty list.
    static std::string opening(Style style);
    static std::string separator(Style style);
    static std::string run(const std::vector<int>& codes, Style style);
    static std::string closing(Style style);

    // One item as a user writes it: a mnemonic in any letter case ("hh1", "HH1"), a code text
    // ("$1B"), a decimal number ("27") or a hexadecimal one ("0x1B"), each naming a code 0..63.
    static std::optional<int> parseCode(std::string_view item);
};

} // namespace tessary
