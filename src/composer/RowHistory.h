#pragma once

#include "SlotRow.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace tessary {

// The row's undo and redo: each step the texts of all 30 slots before and after a change.
// Typing in one slot is one step until the user turns to another slot or the row changes as a
// whole (Clear All, a spelling put in, an entry loaded), as a text editor groups a word's
// keystrokes; an undo puts the texts before the step back, a redo the texts after it.
class RowHistory
{
public:
    static constexpr std::size_t kMostSteps = 200;

    // The row went from `before` to `after`: typed in `slot` (1..30), or 0 for a change of the
    // whole row. A change that changes nothing is no step; a new step forgets what was undone.
    void record(const SlotRow::Texts& before, const SlotRow::Texts& after, int slot);
    // Typing goes on in a new step from here, even in the same slot.
    void cut() { m_open = false; }

    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_steps.size(); }
    // The texts to put back, or nothing when there is no step to undo (or redo).
    std::optional<SlotRow::Texts> undo();
    std::optional<SlotRow::Texts> redo();

private:
    struct Step
    {
        SlotRow::Texts before, after;
        int slot;
    };
    std::vector<Step> m_steps;
    std::size_t m_done = 0; // steps[0, done) are done, the rest undone
    bool m_open = false;    // the last step may take more typing in its slot
};

} // namespace tessary
