#pragma once

#include "SampleSet.h"
#include "sound/SamplePlayer.h"

#include <memory>
#include <string_view>

namespace tessary {

// Every sound of the program goes through here: the audition labels, Type 'n' Talk and SPEAK all
// hand it a stem, which becomes a sample path in the sample set and goes to the one player.
class Speaker
{
public:
    Speaker(SampleSet set, std::unique_ptr<SamplePlayer> player);

    // Plays the sample named by `stem`, taken verbatim. With no sample set, or a stem that could
    // reach outside it, nothing is played and no file is touched.
    void playStem(std::string_view stem);
    // The same, for a SPEAK step that is due at `due`.
    void playStemAt(std::string_view stem, SamplePlayer::Clock::time_point due);
    // Plays the sample of audition label k (1..64); anything else plays nothing.
    void audition(int k);

    // Opens the output and has the player decode the set's 64 samples ahead of the first play.
    void prepare();

    const SampleSet& sampleSet() const { return m_set; }

private:
    SampleSet m_set;
    std::unique_ptr<SamplePlayer> m_player;
};

} // namespace tessary
