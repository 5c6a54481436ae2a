#include "CodeFormat.h"

#include "catalogue/AllophoneTable.h"

#include <cctype>
#include <cstdio>

namespace tessary {

namespace {

std::string hexByte(int code)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(code));
    return text;
}

std::string joined(const std::vector<int>& codes, const char* separator, std::string (*one)(int))
{
    std::string out;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (i > 0)
            out += separator;
        out += one(codes[i]);
    }
    return out;
}

std::string decimal(int code)
{
    return std::to_string(code);
}

std::optional<int> number(std::string_view digits, int base)
{
    if (digits.empty() || digits.size() > 3)
        return std::nullopt;
    int value = 0;
    for (char c : digits) {
        const auto u = static_cast<unsigned char>(c);
        int d = -1;
        if (std::isdigit(u))
            d = c - '0';
        else if (base == 16 && std::isxdigit(u))
            d = std::tolower(u) - 'a' + 10;
        if (d < 0 || d >= base)
            return std::nullopt;
        value = value * base + d;
    }
    if (value >= AllophoneTable::kSize)
        return std::nullopt;
    return value;
}

} // namespace

const std::vector<std::string_view>& CodeFormat::styleNames()
{
    static const std::vector<std::string_view> names = {"dollar", "hex", "dec", "c", "basic"};
    return names;
}

std::optional<CodeFormat::Style> CodeFormat::parseStyle(std::string_view name)
{
    const auto& names = styleNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name)
            return static_cast<Style>(i);
    }
    return std::nullopt;
}

std::string CodeFormat::format(const std::vector<int>& codes, Style style)
{
    // An empty initialiser list is not C before C23: an empty word becomes a null pointer,
    // which every C compiler takes.
    if (codes.empty() && style == Style::C)
        return "const uint8_t *const word = 0; /* no codes */";
    return opening(style) + run(codes, style) + closing(style);
}

std::string CodeFormat::namedArray(const std::vector<int>& codes, std::string_view name, bool flash)
{
    const std::string n(name);
    std::string out = codes.empty() ? "const uint8_t *const " + n + " = 0; /* no codes */"
                                    : "const uint8_t " + n + "[]" + (flash ? " PROGMEM" : "") +
                                          " = { " + run(codes, Style::C) + " };";
    if (flash)
        out += "\nconst uint16_t " + n + "_length = " + std::to_string(codes.size()) + ";";
    return out;
}

std::string CodeFormat::opening(Style style)
{
    return style == Style::C ? "const uint8_t word[] = { " : style == Style::Basic ? "DATA " : "";
}

std::string CodeFormat::separator(Style style)
{
    return style == Style::Dollar ? "" : style == Style::Basic ? "," : ", ";
}

std::string CodeFormat::run(const std::vector<int>& codes, Style style)
{
    const bool hex = style == Style::Hex || style == Style::C;
    return joined(codes, separator(style).c_str(),
                  style == Style::Dollar ? &AllophoneTable::CodeText
                  : hex                  ? &hexByte
                                         : &decimal);
}

std::string CodeFormat::closing(Style style)
{
    return style == Style::C ? " };" : "";
}

std::optional<int> CodeFormat::parseCode(std::string_view item)
{
    if (item.size() > 1 && item.front() == '$')
        return number(item.substr(1), 16);
    if (item.size() > 2 && item[0] == '0' && (item[1] == 'x' || item[1] == 'X'))
        return number(item.substr(2), 16);
    if (!item.empty() && std::isdigit(static_cast<unsigned char>(item.front())))
        return number(item, 10);
    std::string lower(item);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (const AllophoneEntry* e = AllophoneTable::FindByMnemonic(lower))
        return e->code;
    return std::nullopt;
}

} // namespace tessary
