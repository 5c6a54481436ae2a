#include "VocabularyEdit.h"

namespace tessary {

VocabularyEdit::VocabularyEdit(const QString& what, Side before, Side after, Restore restore)
    : QUndoCommand(what), m_before(std::move(before)), m_after(std::move(after)),
      m_restore(std::move(restore))
{}

void VocabularyEdit::undo()
{
    m_restore(m_before);
}

void VocabularyEdit::redo()
{
    if (m_done) {
        m_done = false;
        return;
    }
    m_restore(m_after);
}

} // namespace tessary
