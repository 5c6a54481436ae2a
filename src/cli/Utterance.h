#pragma once

#include "sound/players/SampleDecoder.h"
#include "speech/SampleSet.h"
#include "speech/UtteranceTimeline.h"

#include <chrono>
#include <map>
#include <memory>
#include <string>

namespace tessary {

// Allophones as sound from the sample set, placed as they come on the chip's timeline
// (UtteranceTimeline), so that an utterance of any length is played or written in bounded
// memory. Each sample sounds from its allophone's start until the next one starts.
class Utterance
{
public:
    struct Part
    {
        std::string mnemonic;
        std::string path;
        std::shared_ptr<const Pcm> pcm;  // null: a sample that is missing or cannot be played
        std::chrono::microseconds at{0}; // from the utterance's beginning
        long long start = 0;             // the same in frames
        // How long it sounds when no other part follows: the chip's time end to end; at a pace,
        // its whole sample, as the last step of SPEAK.
        long long length = 0;
    };

    // `pace` 0 means end to end. The rate is that of the set's first sample that decodes.
    Utterance(const SampleSet& set, int paceMs);

    int rate() const { return m_rate; }
    // The next allophone, placed after those before it. Each sample is decoded once.
    Part add(const std::string& mnemonic);

    // Appends `frames` frames of the part's sound to `out`: its sample, cut off there (by the
    // next part, at a pace) or followed by silence.
    static void sound(const Part& part, long long frames, Pcm& out);

private:
    const SampleSet& m_set;
    int m_pace = 0;
    int m_rate = 22050;
    UtteranceTimeline m_timeline;
    std::map<std::string, std::shared_ptr<const Pcm>> m_samples;
};

} // namespace tessary
