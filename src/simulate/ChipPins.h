#pragma once

#include "board/Board.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tessary {

// Where the chip's lines meet the simulated MCU: a port letter and a bit for each of A1..A6,
// ALD, LRQ, SBY and RESET. By default the board's own wiring (Board::chipPins).
struct ChipPins
{
    struct Line
    {
        char port = 'B';
        int bit = 0;
    };
    std::array<Line, Board::kChipLines> lines{};

    const Line& address(int i) const { return lines[static_cast<std::size_t>(i)]; }
    const Line& ald() const { return lines[6]; }
    const Line& lrq() const { return lines[7]; }
    const Line& sby() const { return lines[8]; }
    const Line& reset() const { return lines[9]; }

    static ChipPins forBoard(const Board& board);
    // "ALD=D7,LRQ=PB4": the lines named move to those pins, an Arduino pin of the board (D8, A0)
    // or a port bit (PB0, or B0); the others keep the board's wiring. Nothing, with the
    // problem, for a spec not of that form, one that names a line twice or leaves two lines on
    // one pin.
    static std::optional<ChipPins> parse(std::string_view spec, const Board& board,
                                         std::string& problem);
};

} // namespace tessary
