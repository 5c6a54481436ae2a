#pragma once

#include "vocabulary/VocabularyFile.h"
#include "vocabulary/VocabularyHeader.h"

#include <QWidget>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QTableWidget;

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
        std::function<void(const std::vector<int>&)> speakOnChip;
        std::function<const Speller&()> speller;
    };

    explicit VocabularyWindow(Hooks hooks, QWidget* parent = nullptr);

    // Each returns false, with the reason on the window, when it could not.
    bool open(const std::filesystem::path& file);
    bool saveAs(const std::filesystem::path& file);
    bool exportTo(const std::string& form, const std::filesystem::path& target);
    // English text as a new entry, asking for its name: what the Spell Text dialog hands over
    // when the text is too long for the slots.
    void addText(const QString& text);

    const VocabularyFile& file() const { return m_file; }
    const std::filesystem::path& path() const { return m_path; }
    bool modified() const { return m_modified; }
    // Where the last file opened or saved is remembered (the user's config folder), and that
    // file: empty when there is none.
    static std::filesystem::path lastFileRecord();
    static std::filesystem::path lastFile();

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
    bool edit(const std::string& problem, int select);
    QString askName(const QString& title, const QString& name);

    void addSlots();
    void loadIntoSlots();
    void putSlotsBack();
    void renameEntry();
    void deleteEntry();
    void moveEntry(bool up);
    void listen();
    void speakOnChip();
    void startNew();
    void openAsked();
    bool save();
    bool saveAsAsked();
    void exportAsked(const std::string& form);
    // Whether unsaved changes may go: saved, discarded, or the user cancelled (false).
    bool mayDiscard();
    static void remember(const std::filesystem::path& file);

    Hooks m_hooks;
    VocabularyFile m_file;
    std::filesystem::path m_path;
    bool m_modified = false;
    std::vector<std::vector<int>> m_codes; // each entry's codes as the chip says them
    QTableWidget* m_entries = nullptr;
    QListWidget* m_problems = nullptr;
    QLabel* m_status = nullptr;
};

} // namespace tessary
