#pragma once

#include "files/UserFolders.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessary {

// Words whose spelling is given rather than made by the rules: a built-in list of common words
// the rules get wrong, and the user's own file, one word and its mnemonics on each line:
//
//     # comments and blank lines are skipped
//     hello  hh1 eh ll ow
//
// Words are matched whatever their letter case.
class WordList
{
public:
    struct Problem
    {
        int line = 0; // 0: the file as a whole, which is skipped
        std::string message;
    };
    // A word list is a few thousand lines at most; a larger file is refused, not read.
    static constexpr std::size_t kMaxFileBytes = 1024 * 1024;

    // The built-in list.
    static WordList builtIn();
    // The built-in list with the user's file (`file`, from userFile()) over it; what is wrong in
    // the file goes to `problems`.
    static WordList forThisUser(std::filesystem::path& file, std::vector<Problem>& problems);
    // "words" in the user's config folder; empty when no folder is known.
    static std::filesystem::path
    userFile(const UserFolders::Environment& env = &UserFolders::processEnvironment);

    // Adds the lines of `text`, later lines and files overriding earlier ones. A malformed line
    // is skipped and reported in `problems` with its number.
    void add(std::string_view text, std::vector<Problem>& problems);
    // add() with a file's contents; a missing file adds nothing and is no problem. One that is
    // there but unusable (not a regular file, unreadable, over kMaxFileBytes) is one problem.
    void addFile(const std::filesystem::path& file, std::vector<Problem>& problems);
    // One line for the user about a problem in `file`.
    static std::string describe(const std::filesystem::path& file, const Problem& problem);

    // The text of a word list with a spelling for each of `words` set: a word's old lines go,
    // its new line comes at the end, so that saving the same spelling twice writes it once.
    static std::string withSpellings(std::string_view text,
                                     const std::vector<std::pair<std::string, std::string>>& words);

    const std::vector<std::string>* find(std::string_view word) const;
    std::size_t size() const { return m_words.size(); }

private:
    std::unordered_map<std::string, std::vector<std::string>> m_words;
};

} // namespace tessary
