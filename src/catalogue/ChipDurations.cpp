#include "ChipDurations.h"

#include "AllophoneTable.h"

#include <array>

namespace tessary {

namespace {

struct Row
{
    int code;
    double ms;
};

// Generated from data/al2-durations.tsv by the build: {code, chip_ms}, one row per allophone,
// keyed by code so that the rows' order in the file does not matter.
constexpr Row kRows[] = {
#include "ChipDurations.inc"
};

constexpr std::array<double, AllophoneTable::kSize> byCode()
{
    std::array<double, AllophoneTable::kSize> ms{};
    std::array<bool, AllophoneTable::kSize> seen{};
    for (const Row& r : kRows) {
        if (r.code < 0 || r.code >= AllophoneTable::kSize || seen[static_cast<std::size_t>(r.code)])
            throw "a code outside 0-63, or twice"; // fails the build: this is constant-evaluated
        seen[static_cast<std::size_t>(r.code)] = true;
        ms[static_cast<std::size_t>(r.code)] = r.ms;
    }
    return ms;
}

constexpr std::array<double, AllophoneTable::kSize> kChipMs = byCode();
static_assert(std::size(kRows) == AllophoneTable::kSize, "one duration for every allophone");

} // namespace

double ChipDurations::chipMs(int code)
{
    if (code < 0 || code >= AllophoneTable::kSize)
        return 0;
    return kChipMs[static_cast<std::size_t>(code)];
}

} // namespace tessary
