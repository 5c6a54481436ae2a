#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QDialogButtonBox;
class QLabel;
class QLineEdit;

namespace tessary {

class Speller;

// "Spell Text Here…": English text in, its allophone spelling and code string shown as the user
// types, and how many of the slots left it takes. OK is refused, with a message, for a spelling
// that does not fit.
class SpellDialog : public QDialog
{
    Q_OBJECT

public:
    SpellDialog(const Speller& speller, int slotsLeft, QWidget* parent = nullptr);

    // The mnemonics to put into the slots, one per slot.
    const std::vector<std::string>& spelling() const { return m_spelling; }

    void accept() override;

private:
    void respell(const QString& text);
    bool fits() const;

    const Speller& m_speller;
    int m_slotsLeft;
    std::vector<std::string> m_spelling;
    QLineEdit* m_text = nullptr;
    QLabel* m_allophones = nullptr;
    QLabel* m_codes = nullptr;
    QLabel* m_fit = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

} // namespace tessary
