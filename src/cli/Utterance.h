#pragma once

#include "sound/SampleDecoder.h"
#include "speech/SampleSet.h"

#include <chrono>
#include <string>
#include <vector>

namespace tessary {

// A row of allophones as sound from the sample set: each sample decoded at the set's own rate,
// and where each one starts. With no pace the samples follow end to end, as the chip speaks
// them; with a pace they start one pace apart and each is cut off by the next, as SPEAK plays
// them, the last one whole.
class Utterance
{
public:
    struct Part
    {
        std::string mnemonic;
        std::string path;
        std::shared_ptr<const Pcm> pcm; // null: a sample that is missing or cannot be played
        long long start = 0;            // frames from the utterance's beginning
    };

    // `pace` 0 means end to end. A missing sample is silent for the allophone's time on the chip.
    Utterance(const SampleSet& set, const std::vector<std::string>& mnemonics, int paceMs);

    int rate() const { return m_rate; }
    const std::vector<Part>& parts() const { return m_parts; }
    long long frames() const { return m_frames; }
    std::chrono::nanoseconds offset(const Part& part) const;

    // The whole utterance as one buffer.
    Pcm render() const;

private:
    int m_rate = 22050;
    std::vector<Part> m_parts;
    long long m_frames = 0;
};

} // namespace tessary
