#include "RowUndo.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QWidget>

namespace tessary {

namespace {

bool isUndo(const QKeyEvent* key)
{
    return key->matches(QKeySequence::Undo);
}

bool isRedo(const QKeyEvent* key)
{
    return key->matches(QKeySequence::Redo) ||
           key->keyCombination() == QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Z);
}

} // namespace

RowUndo::RowUndo(QWidget* window, const std::array<QLineEdit*, SlotRow::kSlotCount>& boxes,
                 Hooks hooks)
    : QObject(window), m_hooks(std::move(hooks)), m_shown(m_hooks.texts())
{
    m_undo = new QAction("&Undo", window);
    m_undo->setObjectName("undoSlots");
    m_undo->setShortcut(QKeySequence::Undo);
    m_redo = new QAction("&Redo", window);
    m_redo->setObjectName("redoSlots");
    m_redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence::Redo});
    for (QAction* a : {m_undo, m_redo}) {
        a->setShortcutContext(Qt::WindowShortcut);
        window->addAction(a);
    }
    connect(m_undo, &QAction::triggered, this, &RowUndo::undo);
    connect(m_redo, &QAction::triggered, this, &RowUndo::redo);
    for (QLineEdit* box : boxes)
        box->installEventFilter(this);
    updateActions();
}

void RowUndo::typed(int n)
{
    if (m_restoring || m_batch > 0)
        return;
    const SlotRow::Texts now = m_hooks.texts();
    m_history.record(m_shown, now, n);
    m_shown = now;
    updateActions();
}

void RowUndo::wholeRow(const std::function<void()>& change)
{
    const SlotRow::Texts before = m_hooks.texts();
    ++m_batch;
    change();
    --m_batch;
    m_shown = m_hooks.texts();
    m_history.record(before, m_shown, 0);
    updateActions();
}

void RowUndo::undo()
{
    step([this] { return m_history.undo(); });
}

void RowUndo::redo()
{
    step([this] { return m_history.redo(); });
}

void RowUndo::step(const std::function<std::optional<SlotRow::Texts>()>& take)
{
    if (const std::optional<SlotRow::Texts> texts = take()) {
        m_restoring = true;
        m_hooks.restore(*texts);
        m_restoring = false;
        m_shown = m_hooks.texts();
    }
    updateActions();
}

void RowUndo::updateActions()
{
    m_undo->setEnabled(m_history.canUndo());
    m_redo->setEnabled(m_history.canRedo());
}

void RowUndo::takeOver(QMenu* menu) const
{
    for (QAction* a : menu->actions()) {
        if (a->objectName() == "edit-undo" || a->objectName() == "edit-redo")
            menu->removeAction(a);
    }
    menu->insertActions(menu->actions().value(0), {m_undo, m_redo});
}

bool RowUndo::eventFilter(QObject* watched, QEvent* event)
{
    // A slot would take the keys for its own undo (as a shortcut override): the row's comes
    // first, and the focus leaving a slot ends its typing step.
    if (event->type() == QEvent::FocusOut) {
        m_history.cut();
    } else if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (isUndo(key) || isRedo(key)) {
            if (event->type() == QEvent::KeyPress)
                isUndo(key) ? undo() : redo();
            event->accept();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tessary
