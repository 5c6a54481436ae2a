#include "UtteranceTimeline.h"

#include "catalogue/AllophoneTable.h"
#include "catalogue/ChipDurations.h"

#include <cmath>

namespace tessary {

UtteranceTimeline::Step UtteranceTimeline::add(std::string_view mnemonic)
{
    const AllophoneEntry* e = AllophoneTable::FindByMnemonic(mnemonic);
    const std::chrono::microseconds chip(e ? std::llround(ChipDurations::chipMs(e->code) * 1000)
                                           : 0);
    const Step step{m_pace > 0 ? std::chrono::microseconds(m_steps * m_pace * 1000) : m_at, chip};
    ++m_steps;
    m_at = step.start + chip;
    return step;
}

} // namespace tessary
