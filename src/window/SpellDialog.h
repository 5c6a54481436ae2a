#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QTimer;

namespace tessary {

class Speller;

// "Spell Text Here…": English text in, its allophone spelling and code string shown as the user
// types, and how many of the slots left it takes. OK is refused, with a message, for a spelling
// that does not fit.
//
// Spelling runs once typing pauses, never on every keystroke, and the text is cut at kMaxText
// characters (thirty slots hold a few words): a pasted book cannot freeze the window, and the
// dialog keeps its size on the screen however long the spelling.
class SpellDialog : public QDialog
{
    Q_OBJECT

public:
    SpellDialog(const Speller& speller, int slotsLeft, QWidget* parent = nullptr);

    static constexpr int kMaxText = 1000;
    // How long typing must pause before the text is spelled.
    static constexpr int kPauseMs = 150;
    // Mnemonics shown at the most; the rest is "…".
    static constexpr int kShown = 60;

    // The mnemonics to put into the slots, one per slot.
    const std::vector<std::string>& spelling() const { return m_spelling; }

    void accept() override;

private:
    void respell();
    bool fits() const;

    const Speller& m_speller;
    int m_slotsLeft;
    std::vector<std::string> m_spelling;
    QLineEdit* m_text = nullptr;
    QLabel* m_allophones = nullptr;
    QLineEdit* m_codes = nullptr;
    QLabel* m_fit = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    QTimer* m_pause = nullptr;
};

} // namespace tessary
