#include "ChipDurations.h"

#include "AllophoneTable.h"

namespace tessary {

namespace {

// Generated from data/al2-durations.tsv by the build: one number per code, in code order.
constexpr double kChipMs[AllophoneTable::kSize] = {
#include "ChipDurations.inc"
};

} // namespace

double ChipDurations::chipMs(int code)
{
    if (code < 0 || code >= AllophoneTable::kSize)
        return 0;
    return kChipMs[code];
}

} // namespace tessary
