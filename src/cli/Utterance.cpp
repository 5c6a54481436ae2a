#include "Utterance.h"

#include "catalogue/AllophoneTable.h"

#include <algorithm>

namespace tessary {

Utterance::Utterance(const SampleSet& set, int paceMs)
    : m_set(set), m_pace(paceMs), m_timeline(paceMs)
{
    for (const AllophoneEntry& e : AllophoneTable::all()) {
        if (const int r = SampleDecoder::nativeRate(set.samplePath(e.mnemonic)); r > 0) {
            m_rate = r;
            break;
        }
    }
}

Utterance::Part Utterance::add(const std::string& mnemonic)
{
    const auto frames = [this](std::chrono::microseconds t) {
        return UtteranceTimeline::frames(t, m_rate);
    };
    Part part{mnemonic, m_set.samplePath(mnemonic), nullptr};
    auto known = m_samples.find(mnemonic);
    if (known == m_samples.end())
        known = m_samples.emplace(mnemonic, SampleDecoder::decode(part.path, m_rate)).first;
    part.pcm = known->second;
    const UtteranceTimeline::Step step = m_timeline.add(mnemonic);
    part.at = step.start;
    part.start = frames(step.start);
    part.length = m_pace > 0 && part.pcm ? static_cast<long long>(part.pcm->size())
                                         : frames(step.start + step.chip) - part.start;
    return part;
}

void Utterance::sound(const Part& part, long long frames, Pcm& out)
{
    const long long have = part.pcm ? static_cast<long long>(part.pcm->size()) : 0;
    const long long copied = std::clamp(have, 0LL, std::max(frames, 0LL));
    if (copied > 0)
        out.insert(out.end(), part.pcm->begin(), part.pcm->begin() + copied);
    out.insert(out.end(), static_cast<std::size_t>(std::max(frames - copied, 0LL)), 0);
}

} // namespace tessary
