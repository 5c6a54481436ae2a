#include "ChipPins.h"

#include <set>

namespace tessary {

namespace {

constexpr const char* kNames[] = {"A1", "A2", "A3", "A4", "A5", "A6", "ALD", "LRQ", "SBY", "RESET"};

} // namespace

ChipPins::Line* ChipPins::line(std::string_view name)
{
    for (int i = 0; i < kLines; ++i) {
        if (name == kNames[i])
            return i < 6 ? &address[i] : i == 6 ? &ald : i == 7 ? &lrq : i == 8 ? &sby : &reset;
    }
    return nullptr;
}

const ChipPins::Line& ChipPins::line(int i) const
{
    return i < 6 ? address[i] : i == 6 ? ald : i == 7 ? lrq : i == 8 ? sby : reset;
}

std::string_view ChipPins::name(int i)
{
    return kNames[i];
}

std::optional<ChipPins> ChipPins::parse(std::string_view spec, std::string& problem)
{
    ChipPins pins;
    std::set<std::string_view> named;
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
        const std::string_view name = item.substr(0, eq);
        const std::string_view where = eq == std::string_view::npos ? "" : item.substr(eq + 1);
        Line* line = pins.line(name);
        if (!line || where.size() != 2 || where[0] < 'B' || where[0] > 'D' || where[1] < '0' ||
            where[1] > '7') {
            problem = "'" + std::string(item) +
                      "' is not LINE=PORTBIT (A1-A6, ALD, LRQ, SBY, RESET; B0-D7)";
            return std::nullopt;
        }
        if (!named.insert(name).second) {
            problem = std::string(name) + " is named twice";
            return std::nullopt;
        }
        *line = {where[0], where[1] - '0'};
    }
    for (int i = 0; i < kLines; ++i) {
        for (int j = i + 1; j < kLines; ++j) {
            const Line &a = pins.line(i), &b = pins.line(j);
            if (a.port == b.port && a.bit == b.bit) {
                problem = std::string("P") + a.port + std::to_string(a.bit) + " would carry both " +
                          std::string(name(i)) + " and " + std::string(name(j));
                return std::nullopt;
            }
        }
    }
    return pins;
}

} // namespace tessary
