#pragma once

#include "SampleSet.h"
#include "sound/SamplePlayer.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

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
    // A file outside the set (a share of a joined spelling), due at `due`.
    void playFileAt(const std::string& path, SamplePlayer::Clock::time_point due);
    // The allophones (all of them known) joined as the chip joins them (JoinedSpeech), one file
    // a part in `folder`, at the set's rate; empty when the set is missing or one of its samples
    // cannot be decoded, and the samples are played as they are.
    std::vector<std::string> joinedFiles(const std::vector<std::string>& mnemonics,
                                         const std::string& folder) const;
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
