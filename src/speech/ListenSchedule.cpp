#include "ListenSchedule.h"

#include "UtteranceTimeline.h"
#include "catalogue/AllophoneTable.h"
#include "sound/PlayTiming.h"

#include <algorithm>

namespace tessary {

void ListenSchedule::start(const std::vector<std::string>& mnemonics, Clock::time_point now,
                           const std::vector<std::string>& files)
{
    // The lead keeps the first allophone from being late for its own time.
    const Clock::time_point begin = now + PlayTiming::kLead;
    UtteranceTimeline timeline;
    m_steps.clear();
    m_next = 0;
    const bool byFile = files.size() == mnemonics.size();
    for (std::size_t i = 0; i < mnemonics.size(); ++i) {
        const std::string& m = mnemonics[i];
        if (AllophoneTable::FindByMnemonic(m))
            m_steps.emplace_back(byFile ? files[i] : m, begin + timeline.add(m).start);
    }
}

void ListenSchedule::stop()
{
    m_steps.clear();
    m_next = 0;
}

std::vector<ListenSchedule::Step> ListenSchedule::due(Clock::time_point now)
{
    std::vector<Step> out;
    while (m_next < m_steps.size() && m_steps[m_next].second <= now + PlayTiming::kHandOver)
        out.push_back(m_steps[m_next++]);
    return out;
}

std::optional<std::chrono::milliseconds> ListenSchedule::wait(Clock::time_point now) const
{
    if (!listening())
        return std::nullopt;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_steps[m_next].second -
                                                                   PlayTiming::kHandOver - now);
    return std::max(left, std::chrono::milliseconds(0));
}

} // namespace tessary
