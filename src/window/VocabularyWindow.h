#pragma once

#include "VocabularyEdit.h"
#include "VocabularyExport.h"
#include "VocabularyTable.h"
#include "vocabulary/VocabularyFile.h"
#include "vocabulary/VocabularyHeader.h"

#include <QWidget>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QUndoStack;

namespace tessary {

class Speller;

// The Vocabulary window: the entries of one vocabulary file, in the format `tessary vocab`
// reads, beside the main window. The slots become a named entry and an entry goes back into
// the slots to be edited; entries are renamed, deleted, moved, heard through the window's
// player at the chip's timing or said by the chip; the file is opened, saved (atomically) and
// exported as `tessary vocab` would (VocabularySpeller). A line of the file with a problem is
// listed with its number and kept as it is.
class VocabularyWindow : public QWidget
{
    Q_OBJECT

public:
    // What the window reaches in the main window.
    struct Hooks
    {
        std::function<std::vector<std::string>()> slots; // the slots' allophones, in order
        std::function<void(const std::vector<std::string>&)> load;   // into the slots
        std::function<void(const std::vector<std::string>&)> listen; // at the chip's timing
        std::function<void()> stopListening;
        std::function<void(const std::vector<int>&)> speakOnChip;
        std::function<const Speller&()> speller;
    };

    explicit VocabularyWindow(Hooks hooks, QWidget* parent = nullptr);

    // Each returns false, with the reason on the window, when it could not.
    bool open(const std::filesystem::path& file);
    bool saveAs(const std::filesystem::path& file);
    // In a form of File > Export: "c", "arduino", "json" or "sketch".
    bool exportTo(const std::string& form, const std::filesystem::path& target);
    // English text as a new entry, asking for its name: what the Spell Text dialog hands over
    // when the text is too long for the slots.
    void addText(const QString& text);

    const VocabularyFile& file() const { return m_file; }
    const std::filesystem::path& path() const { return m_path; }
    bool modified() const { return m_modified; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildButtons();
    void refresh();
    void showProblems(const std::vector<Vocabulary::Problem>& problems, const QString& what);
    void say(const QString& message);
    // The file's entries as the chip would say them: text spelled, phrases composed.
    Vocabulary spelled(std::vector<Vocabulary::Problem>& problems) const;
    int current() const;
    void select(int entry);
    // An edit made to the file: the problem shown, or the window brought up to date and the
    // edit, called `what` in the Edit menu, put on the undo stack.
    bool edit(const std::string& problem, int select, const QString& what);
    void restore(const VocabularyEdit::Side& side);
    // A file opened or begun: nothing to undo, nothing changed.
    void newHistory();
    QString askName(const QString& title, const QString& name);

    void addSlots();
    void loadIntoSlots();
    void putSlotsBack();
    void spellClearly();
    void renameEntry();
    void deleteEntry();
    void moveEntry(bool up);
    void listen();
    void speakOnChip();
    void startNew();
    void openAsked();
    bool save();
    bool saveAsAsked();
    // Whether unsaved changes may go: saved, discarded, or the user cancelled (false).
    bool mayDiscard();

    Hooks m_hooks;
    VocabularyFile m_file;
    std::filesystem::path m_path;
    bool m_modified = false;
    VocabularyTable* m_entries = nullptr;
    QListWidget* m_problems = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_numbers = nullptr;
    QUndoStack* m_history = nullptr;
    std::string m_shownText; // the file's text as the last edit, open or undo left it
    std::string m_savedText; // as it was last opened or saved
    VocabularyExport m_export;
};

} // namespace tessary
