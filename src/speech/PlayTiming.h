#pragma once

#include <chrono>

namespace tessary {

// How late a SPEAK step may reach the player, and how far ahead a player with a timeline of its
// own places a run: the two sides of one contract, kept in one place so that the compiler
// checks that they fit.
struct PlayTiming
{
    // A step that begins later than this after it was due is timed from its real start: the
    // run becomes longer, never hurried.
    static constexpr std::chrono::milliseconds kStepLateness{4};
    // A run of timed plays starts this far past the stream's read position; it absorbs a step's
    // lateness and a busy moment between the step and its play.
    static constexpr std::chrono::milliseconds kLead{20};
    // How far ahead of the read position the sink may already have rendered.
    static constexpr std::chrono::milliseconds kSinkAhead{5};
    // A timed play later than this could land where the sink has rendered already: the player
    // starts a new run with it instead.
    static constexpr std::chrono::milliseconds kLateLimit = kLead - kSinkAhead;

    static_assert(kStepLateness < kLateLimit,
                  "a step the sequencer keeps in its run must keep its place in the player's");
};

} // namespace tessary
