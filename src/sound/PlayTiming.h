#pragma once

#include <chrono>

namespace tessary {

// How late a SPEAK step may reach the player, and how far ahead a player with a timeline of its
// own places a run: the two sides of one contract, kept in one place so that the compiler
// checks that they fit.
struct PlayTiming
{
    // A step that begins later than this after it was due is timed from its real start: the
    // run becomes longer, never hurried. Up to it, a player with a timeline still places the
    // step on its frame; one without (SDL, whose buffer quantises every start to 11.6 ms anyway)
    // sounds it that late, and the next interval is that much shorter.
    static constexpr std::chrono::milliseconds kStepLateness{10};
    // A run of timed plays starts this far past the stream's read position; it absorbs a step's
    // lateness and a busy moment between the step and its play.
    static constexpr std::chrono::milliseconds kLead{20};
    // How far ahead of the read position the sink may already have rendered.
    static constexpr std::chrono::milliseconds kSinkAhead{5};
    // A timed play later than this could land where the sink has rendered already: the player
    // starts a new run with it instead.
    static constexpr std::chrono::milliseconds kLateLimit = kLead - kSinkAhead;

    // A play that waited longer than this for the device or the sound server is dropped: late
    // sound is worse than none.
    static constexpr std::chrono::milliseconds kStale{300};
    // After a failed open, plays stay silent at most this long before the output is tried
    // again, so that a machine without sound does not pay for an open on every click.
    static constexpr std::chrono::milliseconds kRetryMost{2000};
    // Listen hands each allophone to the player this much before it is due, with the time it is
    // due: a timer's rounding to whole milliseconds never makes it late.
    static constexpr std::chrono::milliseconds kHandOver{2};

    // The way from a step to the player (a lock, a stat of the sample file) takes the rest.
    static_assert(kLateLimit - kStepLateness >= std::chrono::milliseconds(5),
                  "a step the sequencer keeps in its run must keep its place in the player's");
};

} // namespace tessary
