#include "ChipPins.h"

namespace tessary {

std::optional<ChipPins> ChipPins::parse(std::string_view spec, std::string& problem)
{
    ChipPins pins;
    while (!spec.empty()) {
        const std::size_t comma = spec.find(',');
        const std::string_view item = spec.substr(0, comma);
        spec = comma == std::string_view::npos ? std::string_view() : spec.substr(comma + 1);
        const std::size_t eq = item.find('=');
        const std::string_view name = item.substr(0, eq);
        const std::string_view where = eq == std::string_view::npos ? "" : item.substr(eq + 1);
        Line* line = name == "ALD"     ? &pins.ald
                     : name == "LRQ"   ? &pins.lrq
                     : name == "SBY"   ? &pins.sby
                     : name == "RESET" ? &pins.reset
                     : name.size() == 2 && name[0] == 'A' && name[1] >= '1' && name[1] <= '6'
                         ? &pins.address[name[1] - '1']
                         : nullptr;
        if (!line || where.size() != 2 || where[0] < 'B' || where[0] > 'D' || where[1] < '0' ||
            where[1] > '7') {
            problem = "'" + std::string(item) +
                      "' is not LINE=PORTBIT (A1-A6, ALD, LRQ, SBY, RESET; B0-D7)";
            return std::nullopt;
        }
        *line = {where[0], where[1] - '0'};
    }
    return pins;
}

} // namespace tessary
