#pragma once

#include "composer/RowHistory.h"

#include <QObject>

#include <array>
#include <functional>

class QAction;
class QLineEdit;
class QMenu;
class QWidget;

namespace tessary {

// Undo and redo of the slots: Ctrl+Z and Ctrl+Shift+Z (or Ctrl+Y) anywhere in the window, in a
// slot too, where QLineEdit would undo its own text only and know nothing of Clear All, and in
// the slots' context menu. Typing in a slot is one step until the focus leaves it; Clear All, a
// spelling put in and an entry loaded are one step each (RowHistory).
class RowUndo : public QObject
{
    Q_OBJECT

public:
    struct Hooks
    {
        std::function<SlotRow::Texts()> texts;              // the slots' texts now
        std::function<void(const SlotRow::Texts&)> restore; // put these texts in the slots
    };
    RowUndo(QWidget* window, const std::array<QLineEdit*, SlotRow::kSlotCount>& boxes, Hooks hooks);

    // Slot n's text changed by the user: a step, or more of the last one.
    void typed(int n);
    // `change` changes the row as a whole: one step.
    void wholeRow(const std::function<void()>& change);
    // Whether the texts now being set are an undo's or a redo's.
    bool restoring() const { return m_restoring; }
    void undo();
    void redo();
    // The standard menu of a slot with its own Undo and Redo replaced by the row's.
    void takeOver(QMenu* menu) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void step(const std::function<std::optional<SlotRow::Texts>()>& take);
    void updateActions();

    Hooks m_hooks;
    RowHistory m_history;
    SlotRow::Texts m_shown{};
    bool m_restoring = false;
    int m_batch = 0;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
};

} // namespace tessary
