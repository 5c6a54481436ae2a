#pragma once

#include "SamplePlayer.h"
#include "SampleSet.h"

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
    // Plays the sample of audition label k (1..64); anything else plays nothing.
    void audition(int k);

    void prepare() { m_player->prepare(); }

    const SampleSet& sampleSet() const { return m_set; }

private:
    SampleSet m_set;
    std::unique_ptr<SamplePlayer> m_player;
};

} // namespace tessary
