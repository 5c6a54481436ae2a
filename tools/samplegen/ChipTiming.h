#pragma once

#include "EspeakRenderer.h"
#include "speech/TimeStretch.h"

#include <string>
#include <vector>

namespace tessary::samplegen {

// A synthesiser's speech brought to the chip's timing: each of flite's phones stretched to the
// chip's durations of the allophones a spelling of the same words gives it. What a listener
// hears of that is what the chip's timing itself allows: the ceiling for a sample set that
// keeps the chip's durations.
class ChipTiming
{
public:
    // The time map for TimeStretch. The spelling's allophones are aligned with flite's phones by
    // the sounds they stand for (OR with "ao r", a doubled vowel with one); a pause goes with the
    // phone after it (flite's stop holds its closure), and flite's own pauses keep their length.
    static std::vector<TimeStretch::Anchor>
    anchors(const Rendering& r, const std::vector<std::string>& spelling, int rate);
};

} // namespace tessary::samplegen
