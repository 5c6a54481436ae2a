#include "Utterance.h"

#include "catalogue/AllophoneTable.h"
#include "catalogue/ChipDurations.h"

#include <algorithm>
#include <cmath>

namespace tessary {

Utterance::Utterance(const SampleSet& set, const std::vector<std::string>& mnemonics, int paceMs)
{
    // The set's format is that of its first sample that decodes.
    for (const std::string& m : mnemonics) {
        if (const int r = SampleDecoder::nativeRate(set.SamplePath(m)); r > 0) {
            m_rate = r;
            break;
        }
    }
    long long at = 0;
    long long step = 0;
    long long lastLength = 0;
    for (const std::string& m : mnemonics) {
        Part part{m, set.SamplePath(m), SampleDecoder::decode(set.SamplePath(m), m_rate), at};
        long long length = 0;
        if (part.pcm) {
            length = static_cast<long long>(part.pcm->size());
        } else if (const AllophoneEntry* e = AllophoneTable::FindByMnemonic(m)) {
            length = std::llround(ChipDurations::chipMs(e->code) * m_rate / 1000.0);
        }
        // Step k starts at k paces, to the frame below: no rounding adds up over the steps.
        ++step;
        at = paceMs > 0 ? step * paceMs * m_rate / 1000 : at + length;
        lastLength = length;
        m_parts.push_back(std::move(part));
    }
    // With a pace every sample but the last is cut off by the next; the last plays whole.
    m_frames = paceMs > 0 && !m_parts.empty() ? m_parts.back().start + lastLength : at;
}

std::chrono::nanoseconds Utterance::offset(const Part& part) const
{
    return std::chrono::nanoseconds(part.start * 1'000'000'000LL / m_rate);
}

Pcm Utterance::render() const
{
    Pcm out(static_cast<std::size_t>(m_frames), 0);
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        const Part& p = m_parts[i];
        if (!p.pcm)
            continue;
        const long long end = i + 1 < m_parts.size() ? m_parts[i + 1].start : m_frames;
        const long long count =
            std::clamp<long long>(end - p.start, 0, static_cast<long long>(p.pcm->size()));
        std::copy_n(p.pcm->begin(), count, out.begin() + p.start);
    }
    return out;
}

} // namespace tessary
