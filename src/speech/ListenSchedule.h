#pragma once

#include "sound/SamplePlayer.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessary {

// Listen: a spelling played end to end at the chip's own durations, as Spell Text and the
// Vocabulary window play one. Each allophone is handed to the player a little before it is due,
// with the time it is due, so that a player with a timeline places it to the frame; the caller
// drives it with a timer and never blocks.
class ListenSchedule
{
public:
    using Clock = SamplePlayer::Clock;
    // What to play (a mnemonic, or the file given for it) and when it is due.
    using Step = std::pair<std::string, Clock::time_point>;

    // The run begins PlayTiming::kLead after `now`; mnemonics that name no allophone are left
    // out. `files`, when there is one for each mnemonic, are played in their place. A new run
    // replaces the one under way.
    void start(const std::vector<std::string>& mnemonics, Clock::time_point now,
               const std::vector<std::string>& files = {});
    void stop();
    bool listening() const { return m_next < m_steps.size(); }
    // The steps to hand to the player at `now`, each once, in order.
    std::vector<Step> due(Clock::time_point now);
    // How long from `now` until the next step is to be handed over; nothing when none is left.
    std::optional<std::chrono::milliseconds> wait(Clock::time_point now) const;

private:
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
};

} // namespace tessary
