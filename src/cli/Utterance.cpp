#include "Utterance.h"

#include "catalogue/AllophoneTable.h"
#include "catalogue/ChipDurations.h"

#include <algorithm>
#include <cmath>

namespace tessary {

Utterance::Utterance(const SampleSet& set, int paceMs) : m_set(set), m_pace(paceMs)
{
    for (const AllophoneEntry& e : AllophoneTable::All()) {
        if (const int r = SampleDecoder::nativeRate(set.SamplePath(e.mnemonic)); r > 0) {
            m_rate = r;
            break;
        }
    }
}

Utterance::Part Utterance::add(const std::string& mnemonic)
{
    Part part{mnemonic, m_set.SamplePath(mnemonic), nullptr, 0, 0};
    auto known = m_samples.find(mnemonic);
    if (known == m_samples.end())
        known = m_samples.emplace(mnemonic, SampleDecoder::decode(part.path, m_rate)).first;
    part.pcm = known->second;
    if (part.pcm)
        part.length = static_cast<long long>(part.pcm->size());
    else if (const AllophoneEntry* e = AllophoneTable::FindByMnemonic(mnemonic))
        part.length = std::llround(ChipDurations::chipMs(e->code) * m_rate / 1000.0);
    // Step k starts at k paces, to the frame below: no rounding adds up over the steps.
    part.start = m_pace > 0 ? m_step * m_pace * m_rate / 1000 : m_at;
    ++m_step;
    m_at = part.start + part.length;
    return part;
}

std::chrono::nanoseconds Utterance::offset(long long frame) const
{
    return std::chrono::nanoseconds(frame * 1'000'000'000LL / m_rate);
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
