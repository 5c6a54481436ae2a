#pragma once

#include "sound/SampleDecoder.h"
#include "speech/SampleSet.h"

#include <chrono>
#include <map>
#include <memory>
#include <string>

namespace tessary {

// Allophones as sound from the sample set, placed one after another as they come, so that an
// utterance of any length is timed in bounded memory. With no pace the samples follow end to
// end, as the chip speaks them; with a pace they start one pace apart, as SPEAK plays them.
class Utterance
{
public:
    struct Part
    {
        std::string mnemonic;
        std::string path;
        std::shared_ptr<const Pcm> pcm; // null: a sample that is missing or cannot be played
        long long start = 0;            // frames from the utterance's beginning
        long long length = 0;           // its sample's frames; the chip's time when missing
    };

    // `pace` 0 means end to end. The rate is that of the set's first sample that decodes.
    Utterance(const SampleSet& set, int paceMs);

    int rate() const { return m_rate; }
    // The next allophone, placed after those before it. Each sample is decoded once.
    Part add(const std::string& mnemonic);
    std::chrono::nanoseconds offset(long long frame) const;

    // Appends `frames` frames of the part's sound to `out`: its sample, cut off there (by the
    // next part, at a pace) or followed by silence.
    static void sound(const Part& part, long long frames, Pcm& out);

private:
    const SampleSet& m_set;
    int m_pace = 0;
    int m_rate = 22050;
    long long m_at = 0;
    long long m_step = 0;
    std::map<std::string, std::shared_ptr<const Pcm>> m_samples;
};

} // namespace tessary
