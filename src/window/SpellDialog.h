#pragma once

#include "spelling/WordList.h"

#include <QDialog>
#include <QTextOption>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace tessary {

class Speller;

// "Spell Text Here…": English text in, its allophone spelling and code string shown as the user
// types, and how many of the slots left it takes. OK is refused, with a message, for a spelling
// that does not fit. Listen plays the spelling; for a word the rules spell badly, the user picks
// another of its spellings (Alternatives), and Save keeps the picks in the user's word list.
//
// Spelling runs once typing pauses, never on every keystroke, and the text is cut at kMaxText
// characters (thirty slots hold a few words): a pasted book cannot freeze the window, and the
// dialog keeps its size on the screen however long the spelling.
class SpellDialog : public QDialog
{
    Q_OBJECT

public:
    using Listener = std::function<void(const std::vector<std::string>& mnemonics)>;

    SpellDialog(const Speller& speller, int slotsLeft, QWidget* parent = nullptr);

    // What Listen hands the spelling to; without one, Listen is disabled.
    void setListener(Listener listener);
    // The user's word list, where Save writes the picks; without one, Save is disabled.
    void setWordFile(std::filesystem::path file);
    // Where "Add to Vocabulary" hands the text (the dialog then closes); without one, the
    // button is hidden.
    void setVocabularyAdder(std::function<void(const QString& text)> adder);
    // Whether Save wrote the word list.
    bool saved() const { return m_saved; }

    static constexpr int kMaxText = 1000;
    // How long typing must pause before the text is spelled.
    static constexpr int kPauseMs = 150;

    // The mnemonics to put into the slots, one per slot.
    const std::vector<std::string>& spelling() const { return m_spelling; }

    void accept() override;

protected:
    // Enter in the text box is OK, as in a one-line box; Shift+Enter begins a new line.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The text as typed (the box keeps at most kMaxText characters).
    QString text() const;
    void buildFields();
    QPlainTextEdit* spellingView(const QString& name, const QString& accessible,
                                 QTextOption::WrapMode wrap);
    void buildPicking();
    void layOut();
    void respell();
    bool fits() const;
    void listen();
    // The words of the text, for picking a spelling; then the chosen word's alternatives.
    void fillWords();
    void fillAlternatives();
    void pick(int index);
    void save();

    const Speller& m_speller;
    int m_slotsLeft;
    std::vector<std::string> m_spelling;
    QPlainTextEdit* m_text = nullptr;
    QPlainTextEdit* m_allophones = nullptr;
    QPlainTextEdit* m_codes = nullptr;
    QLabel* m_fit = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    QTimer* m_pause = nullptr;
    QPushButton* m_listen = nullptr;
    QComboBox* m_words = nullptr;
    QComboBox* m_alternatives = nullptr;
    QPushButton* m_save = nullptr;
    QLabel* m_saveResult = nullptr;
    QPushButton* m_toVocabulary = nullptr;
    std::function<void(const QString& text)> m_vocabularyAdder;

    Listener m_listener;
    std::filesystem::path m_wordFile;
    std::map<std::string, std::vector<std::string>> m_picks; // word -> its chosen mnemonics
    WordList m_picked;                                       // the same, for the speller
    std::vector<std::vector<std::string>> m_shownAlternatives;
    bool m_saved = false;
};

} // namespace tessary
