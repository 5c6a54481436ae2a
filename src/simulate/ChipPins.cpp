#include "ChipPins.h"

#include <set>

namespace tessary {

namespace {

int lineNamed(std::string_view name)
{
    for (int i = 0; i < Board::kChipLines; ++i) {
        if (Board::kChipLineNames[static_cast<std::size_t>(i)] == name)
            return i;
    }
    return -1;
}

// A port bit ("PB0", "B0") of a port the board has, or an Arduino pin of the board.
std::optional<ChipPins::Line> pinNamed(std::string_view where, const Board& board)
{
    if (const Board::Pin* pin = board.pin(where))
        return ChipPins::Line{pin->port, pin->bit};
    if (where.size() == 3 && where[0] == 'P')
        where.remove_prefix(1);
    if (where.size() == 2 && where[1] >= '0' && where[1] <= '7') {
        for (const Board::Pin& p : board.pins) {
            if (p.port == where[0])
                return ChipPins::Line{where[0], where[1] - '0'};
        }
    }
    return std::nullopt;
}

std::string named(const ChipPins::Line& line, const Board& board)
{
    const Board::Pin* pin = board.pinAt(line.port, line.bit);
    const std::string bit = std::string("P") + line.port + std::to_string(line.bit);
    return pin ? std::string(pin->name) + " (" + bit + ")" : bit;
}

} // namespace

ChipPins ChipPins::forBoard(const Board& board)
{
    ChipPins pins;
    for (std::size_t i = 0; i < pins.lines.size(); ++i) {
        const Board::Pin* pin = board.pin(board.chipPins[i]);
        pins.lines[i] = {pin->port, pin->bit};
    }
    return pins;
}

std::optional<ChipPins> ChipPins::parse(std::string_view spec, const Board& board,
                                        std::string& problem)
{
    ChipPins pins = forBoard(board);
    std::set<int> moved;
    while (!spec.empty()) {
        const std::size_t comma = spec.find(',');
        const std::string_view item = spec.substr(0, comma);
        const bool last = comma == std::string_view::npos;
        spec = last ? std::string_view() : spec.substr(comma + 1);
        if (item.empty() || (!last && spec.empty())) {
            problem = "an empty item (two commas, or one at an end)";
            return std::nullopt;
        }
        const std::size_t eq = item.find('=');
        const int line = lineNamed(item.substr(0, eq));
        const std::optional<Line> where =
            eq == std::string_view::npos ? std::nullopt : pinNamed(item.substr(eq + 1), board);
        if (line < 0 || !where) {
            problem = "'" + std::string(item) +
                      "' is not LINE=PIN (A1-A6, ALD, LRQ, SBY, RESET; a pin of the " +
                      std::string(board.shown) + " such as D8 or A0, or a port bit such as PB0)";
            return std::nullopt;
        }
        if (!moved.insert(line).second) {
            problem = std::string(Board::kChipLineNames[static_cast<std::size_t>(line)]) +
                      " is named twice";
            return std::nullopt;
        }
        pins.lines[static_cast<std::size_t>(line)] = *where;
    }
    for (std::size_t i = 0; i < pins.lines.size(); ++i) {
        for (std::size_t j = i + 1; j < pins.lines.size(); ++j) {
            const Line &a = pins.lines[i], &b = pins.lines[j];
            if (a.port == b.port && a.bit == b.bit) {
                problem = named(a, board) + " would carry both " +
                          std::string(Board::kChipLineNames[i]) + " and " +
                          std::string(Board::kChipLineNames[j]);
                return std::nullopt;
            }
        }
    }
    return pins;
}

} // namespace tessary
