#pragma once

#include "Vocabulary.h"
#include "text/TextLines.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// A vocabulary file as the window edits it: its lines in order. Entries are added, changed,
// renamed, deleted and moved as lines; every other line (a comment, %numbers, a line with a
// problem) stays as it was, and so do the lines' endings (CR LF, CR, a last line without
// one), so that saving the file loses nothing of it. The entries and the
// problems are always what Vocabulary::parse makes of the lines, as `tessary vocab` reads them.
class VocabularyFile
{
public:
    // A vocabulary is a few hundred lines; a file larger than this is a mistake, and is read
    // neither by `tessary vocab` nor by the window.
    static constexpr std::size_t kMaxBytes = 1024 * 1024;

    VocabularyFile() = default;
    explicit VocabularyFile(std::string_view text);

    std::string text() const;
    // The entries (each `line` counts from 1 in text()) and the lines' problems.
    const Vocabulary& vocabulary() const { return m_vocabulary; }
    const std::vector<Vocabulary::Problem>& problems() const { return m_problems; }
    std::size_t size() const { return m_vocabulary.entries().size(); }

    // Why `name` cannot name an entry, or empty: a name is one line without '=', ':', '#' or a
    // leading '%'. (One whose C name another entry makes is refused by the edit itself.)
    static std::string refusesName(std::string_view name);

    // Each returns the problem, or empty when the file changed. Mnemonics are written as
    // "NAME = hh1 eh ll ow pa1", text as "NAME: Hello there."; a new entry goes at the end.
    std::string add(std::string_view name, const std::vector<std::string>& mnemonics);
    std::string addText(std::string_view name, std::string_view text);
    std::string setMnemonics(std::size_t entry, const std::vector<std::string>& mnemonics);
    std::string rename(std::size_t entry, std::string_view name);
    void remove(std::size_t entry);
    // Entry `entry` changes places with the entry before it (up) or after it.
    void move(std::size_t entry, bool up);

private:
    std::size_t lineOf(std::size_t entry) const;
    // The line that says entry `e` under another name and source.
    static std::string lineFor(const Vocabulary::Entry& e, std::string_view name);
    std::string put(std::size_t at, std::string line, bool insert);
    void reparse();

    std::vector<TextLines::Line> m_lines;
    Vocabulary m_vocabulary;
    std::vector<Vocabulary::Problem> m_problems;
};

} // namespace tessary
