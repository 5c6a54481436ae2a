#pragma once

#include "vocabulary/Vocabulary.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace tessary {

class Speller;

// The Vocabulary window's File > Export: a vocabulary file's text as a C, Arduino or JSON
// header, or a sketch folder, written as `tessary vocab` writes it. A folder that holds the
// user's own files is written only when the user says so.
class VocabularyExport
{
public:
    struct Hooks
    {
        std::function<const Speller&()> speller;
        std::function<void(const QString&)> say; // one line of what happened
        std::function<void(const std::vector<Vocabulary::Problem>&, const QString&)> problems;
    };
    // `window` is the parent of the dialogs.
    VocabularyExport(QWidget* window, Hooks hooks);

    // The text of the file at `path` (none yet: empty) in that form ("c", "arduino", "json",
    // "sketch") to `target`; false, said, where it was not written.
    bool write(const std::string& text, const std::filesystem::path& path, const std::string& form,
               const std::filesystem::path& target);
    // The same, to a target the user picks, beside the file and named after it.
    void ask(const std::string& text, const std::filesystem::path& path, const std::string& form);

private:
    QWidget* m_window;
    Hooks m_hooks;
};

} // namespace tessary
