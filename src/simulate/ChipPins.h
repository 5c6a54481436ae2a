#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessary {

// Where the chip's lines meet the ATmega328P: a port letter and a bit for each. The default is
// the SP0256 driver's (and the bridge's) map.
struct ChipPins
{
    struct Line
    {
        char port = 'B';
        int bit = 0;
    };
    Line address[6] = {{'C', 0}, {'C', 1}, {'C', 2}, {'C', 3}, {'C', 4}, {'C', 5}};
    Line ald{'B', 0};
    Line lrq{'B', 1};
    Line sby{'B', 2};
    Line reset{'B', 3};

    static constexpr int kLines = 10;
    // Line i of A1-A6, ALD, LRQ, SBY, RESET, and its name; nullptr for a name that is none.
    const Line& line(int i) const;
    Line* line(std::string_view name);
    static std::string_view name(int i);

    // "A1=C0,A2=C1,...,ALD=B0,LRQ=B1,SBY=B2,RESET=B3": the lines named change, the others keep
    // the default. Nothing, with the problem, for a spec that is not of that form, that names
    // a line twice or leaves two lines on one pin.
    static std::optional<ChipPins> parse(std::string_view spec, std::string& problem);
};

} // namespace tessary
