#pragma once

#include <QUndoCommand>

#include <functional>
#include <string>

namespace tessary {

// One edit of the Vocabulary window (add, rename, delete, move, put slots back) for its undo
// stack: the file's text before and after, and the entry selected with each. The edit has
// been made when the command is pushed; undo and redo put a text back through `restore`.
class VocabularyEdit : public QUndoCommand
{
public:
    struct Side
    {
        std::string text;
        int selected = -1;
    };
    using Restore = std::function<void(const Side&)>;

    VocabularyEdit(const QString& what, Side before, Side after, Restore restore);

    void undo() override;
    void redo() override;

private:
    Side m_before, m_after;
    Restore m_restore;
    bool m_done = true; // the first redo, on the push, is the edit already made
};

} // namespace tessary
