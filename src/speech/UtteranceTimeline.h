#pragma once

#include <chrono>
#include <string_view>

namespace tessary {

// When each allophone of an utterance starts, for every player of a spelling (the window's
// Listen, `tessary say` and `render`): end to end at the chip's own durations, as the chip
// speaks them, or one pace apart, as SPEAK plays them. Allophones are added as they come, so an
// utterance of any length is timed in constant memory; whole microseconds, so no rounding adds
// up over the steps.
class UtteranceTimeline
{
public:
    // `paceMs` 0: end to end at the chip's durations.
    explicit UtteranceTimeline(int paceMs = 0) : m_pace(paceMs) {}

    struct Step
    {
        std::chrono::microseconds start; // from the utterance's beginning
        std::chrono::microseconds chip;  // how long the chip says it
    };
    // The next allophone; an unknown mnemonic takes no time.
    Step add(std::string_view mnemonic);
    // A time from the utterance's beginning as a frame at `rate`.
    static long long frames(std::chrono::microseconds t, int rate)
    {
        return static_cast<long long>(t.count()) * rate / 1'000'000;
    }

private:
    int m_pace = 0;
    long long m_steps = 0;
    std::chrono::microseconds m_at{0};
};

} // namespace tessary
