#include "RowHistory.h"

namespace tessary {

void RowHistory::record(const SlotRow::Texts& before, const SlotRow::Texts& after, int slot)
{
    if (before == after)
        return;
    m_steps.resize(m_done);
    if (m_open && slot != 0 && !m_steps.empty() && m_steps.back().slot == slot) {
        m_steps.back().after = after;
        return;
    }
    if (m_steps.size() == kMostSteps)
        m_steps.erase(m_steps.begin());
    m_steps.push_back({before, after, slot});
    m_done = m_steps.size();
    m_open = slot != 0;
}

std::optional<SlotRow::Texts> RowHistory::undo()
{
    m_open = false;
    if (!canUndo())
        return std::nullopt;
    return m_steps[--m_done].before;
}

std::optional<SlotRow::Texts> RowHistory::redo()
{
    m_open = false;
    if (!canRedo())
        return std::nullopt;
    return m_steps[m_done++].after;
}

} // namespace tessary
