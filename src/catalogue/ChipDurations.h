#pragma once

namespace tessary {

// How long each allophone lasts on a real SP0256-AL2, as measured (data/al2-durations.tsv, the
// chip_ms column, built into the program).
class ChipDurations
{
public:
    // Milliseconds for codes 0..63; 0 outside.
    static double chipMs(int code);
};

} // namespace tessary
