// Writes the driver's tables (firmware/SP0256/src/SP0256_tables.h) from the tables the
// program holds: the allophones' classes and every board's pins and wiring. The driver ships
// as an Arduino library that must build alone, so the header is kept in the source tree; a
// test sees that it is what this writes.
//
//   tessary-tablegen > firmware/SP0256/src/SP0256_tables.h
//   tessary-tablegen hardware < docs/hardware.md > new    (the pin maps' table in the page)
#include "board/Board.h"
#include "catalogue/AllophoneTable.h"

#include <cstdio>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

using namespace tessary;

namespace {

// Items joined by ", " and broken before the 96th column: in a comment (`lead` " * ") or in a
// macro (`lead` "    ", each line ending in a backslash).
std::string wrapped(const std::vector<std::string>& items, const std::string& first,
                    const std::string& lead, bool macro, const std::string& separator = ",")
{
    std::string out, line = first;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string item = items[i] + (i + 1 < items.size() ? separator : "");
        if (line.size() + 1 + item.size() > 94) {
            out += line + (macro ? " \\\n" : "\n");
            line = lead + item;
        } else {
            line +=
                (line.empty() || line == lead || line.back() == '(' || line.back() == '{' ? ""
                                                                                          : " ") +
                item;
        }
    }
    return out + line;
}

std::string hex(int code)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", code);
    return text;
}

std::string unvoicedStops()
{
    std::vector<std::string> tests;
    std::string names;
    for (const AllophoneEntry& e : AllophoneTable::all()) {
        if (!(e.classes & kUnvoicedStop))
            continue;
        tests.push_back("(code) == " + hex(e.code));
        std::string upper = e.mnemonic;
        for (char& c : upper)
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        names += (names.empty() ? "" : ", ") + upper;
    }
    return "/* The unvoiced stops (" + names + "): PA3 is their closure. */\n" +
           wrapped(tests, "#define SP0256_IS_UNVOICED_STOP(code) (", "    ", true, " ||") + ")\n";
}

std::string port(const Board& board, std::string_view pin)
{
    const Board::Pin* p = board.pin(pin);
    return "SP0256_LINE(PORT" + std::string(1, p->port) + ", " + std::to_string(p->bit) + ")";
}

std::string arduinoNumber(std::string_view pin)
{
    return pin[0] == 'D' ? std::string(pin.substr(1)) : std::string(pin);
}

// One #if branch for each MCU, with the boards that carry it.
std::string wiring()
{
    std::ostringstream out;
    std::vector<std::string_view> done;
    const char* keyword = "#if";
    for (const Board& b : Board::all()) {
        bool seen = false;
        for (std::string_view m : done)
            seen = seen || m == b.macros;
        if (seen)
            continue;
        done.push_back(b.macros);
        std::string shown, test;
        for (const Board& other : Board::all()) {
            if (other.macros == b.macros)
                shown += std::string(shown.empty() ? "" : ", ") + std::string(other.shown);
        }
        std::istringstream macros{std::string(b.macros)};
        for (std::string m; macros >> m;)
            test += (test.empty() ? "defined(" : " || defined(") + m + ")";
        std::vector<std::string> lines, numbers, pins;
        for (std::size_t i = 0; i < Board::kChipLines; ++i) {
            const Board::Pin* p = b.pin(b.chipPins[i]);
            lines.push_back(std::string(Board::kChipLineNames[i]) + " on " + std::string(p->name) +
                            " (P" + p->port + std::to_string(p->bit) + ")");
            numbers.push_back((i == 0 ? "{" : "") + arduinoNumber(b.chipPins[i]) + (i == 5 ? "}" : ""));
            pins.push_back((i == 0 ? "{" : "") + port(b, b.chipPins[i]) + (i == 5 ? "}" : ""));
        }
        lines.back() += ". */";
        out << keyword << " " << test << "\n"
            << wrapped(lines, "/* " + shown + " (" + std::string(b.mcuShown) + "):", " * ", false)
            << "\n#define SP0256_BOARD \"" << shown << "\"\n"
            << wrapped(pins, "#define SP0256_DEFAULT_PINS {", "    ", true) << "}\n"
            << wrapped(numbers, "#define SP0256_DEFAULT_ARDUINO_PINS {", "    ", true) << "}\n";
        keyword = "#elif";
    }
    out << "#endif\n";
    return out.str();
}

constexpr const char* kPinsStart = "<!-- the boards' wiring: written by tessary-tablegen -->\n";
constexpr const char* kPinsEnd = "<!-- end of the boards' wiring -->\n";

// The chip's lines against each board's default wiring, a column a board, for the hardware
// page.
std::string wiringTable()
{
    std::string head = "| Chip pin | Line |", rule = "|---|---|";
    std::vector<const Board*> shown;
    for (const Board& b : Board::all()) {
        bool same = false;
        for (const Board* other : shown)
            same = same || (other->chipPins == b.chipPins && other->mcu == b.mcu);
        if (same)
            continue;
        shown.push_back(&b);
        std::string names;
        for (const Board& o : Board::all()) {
            if (o.chipPins == b.chipPins && o.mcu == b.mcu)
                names += (names.empty() ? "" : ", ") + std::string(o.shown);
        }
        head += " " + names + " |";
        rule += "---|";
    }
    static constexpr const char* kChipPin[Board::kChipLines] = {"18", "17", "16", "15", "14",
                                                                 "13", "20", "9",  "8",  "2, 25"};
    std::string out = head + "\n" + rule + "\n";
    for (std::size_t i = 0; i < Board::kChipLineNames.size(); ++i) {
        out += std::string("| ") + kChipPin[i] + " | " + std::string(Board::kChipLineNames[i]) + " |";
        for (const Board* b : shown) {
            const Board::Pin* p = b->pin(b->chipPins[i]);
            out += " " + std::string(p->name) + " (P" + p->port + std::to_string(p->bit) + ") |";
        }
        out += "\n";
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "hardware") {
        const std::string page{std::istreambuf_iterator<char>(std::cin), {}};
        const std::size_t from = page.find(kPinsStart), to = page.find(kPinsEnd);
        if (from == std::string::npos || to == std::string::npos || to < from) {
            std::fprintf(stderr, "tessary-tablegen: the page has no marks for the wiring\n");
            return 1;
        }
        std::cout << page.substr(0, from) << kPinsStart << wiringTable() << page.substr(to);
        return 0;
    }
    std::printf(
        "/* SP0256_tables.h: the chip's and the boards' facts the driver needs, written by\n"
        " * tessary-tablegen from the tables tessary holds (each allophone's class, each board's\n"
        " * pins): do not edit; `cmake --build build --target firmware-tables` writes it anew. */\n"
        "#ifndef SP0256_TABLES_H\n#define SP0256_TABLES_H\n\n"
        "#define SP0256_PA1 %s\n#define SP0256_PA3 %s\n%s\n%s\n#endif\n",
        hex(AllophoneTable::FindByMnemonic(AllophoneTable::kWordGap)->code).c_str(),
        hex(AllophoneTable::FindByMnemonic(AllophoneTable::kStopClosure)->code).c_str(),
        unvoicedStops().c_str(), wiring().c_str());
    return 0;
}
