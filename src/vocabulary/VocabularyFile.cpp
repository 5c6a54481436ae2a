#include "VocabularyFile.h"

#include <algorithm>

namespace tessary {

namespace {

std::string joined(const std::vector<std::string>& words)
{
    std::string out;
    for (const std::string& w : words)
        out += (out.empty() ? "" : " ") + w;
    return out;
}

} // namespace

VocabularyFile::VocabularyFile(std::string_view text) : m_lines(TextLines::split(text))
{
    reparse();
}

std::string VocabularyFile::text() const
{
    return TextLines::join(m_lines);
}

void VocabularyFile::reparse()
{
    m_problems.clear();
    m_vocabulary = Vocabulary::parse(text(), m_problems);
}

std::size_t VocabularyFile::lineOf(std::size_t entry) const
{
    return static_cast<std::size_t>(m_vocabulary.entries().at(entry).line - 1);
}

std::string VocabularyFile::refusesName(std::string_view name)
{
    if (name.empty() || name.find_first_not_of(" \t") == std::string_view::npos)
        return "An entry needs a name.";
    if (name.find_first_of("=:#\n\r") != std::string_view::npos || name.front() == '%')
        return "A name cannot hold '=', ':' or '#', nor start with '%'.";
    return {};
}

std::string VocabularyFile::lineFor(const Vocabulary::Entry& e, std::string_view name)
{
    if (!e.parts.empty())
        return "%phrase " + std::string(name) + " = " + joined(e.parts);
    return std::string(name) + (e.text ? ": " : " = ") + e.source;
}

// Puts the line in, and takes it back out when the file does not read it as one more entry
// (or the same entry) without a new problem, so that a bad edit (a name whose C name another
// entry makes, a code that is none) never leaves a bad line behind. The reason is the
// file's own: the problem the edit brought.
std::string VocabularyFile::put(std::size_t at, std::string line, bool insert)
{
    const std::vector<TextLines::Line> before = m_lines;
    const std::size_t had = size();
    if (insert && at == m_lines.size())
        TextLines::append(m_lines, std::move(line));
    else if (insert)
        m_lines.insert(m_lines.begin() + long(at), {std::move(line), TextLines::usualEnd(m_lines)});
    else
        m_lines[at].text = std::move(line);
    const std::vector<Vocabulary::Problem> had_problems = m_problems;
    reparse();
    const auto brought = std::find_if(m_problems.begin(), m_problems.end(), [&](const auto& p) {
        return std::none_of(had_problems.begin(), had_problems.end(), [&](const auto& q) {
            return q.line == p.line && q.message == p.message;
        });
    });
    if (size() == had + (insert ? 1 : 0) && brought == m_problems.end())
        return {};
    const std::string why =
        brought == m_problems.end() ? "the entry was not read back" : brought->message;
    m_lines = before;
    reparse();
    return why;
}

std::string VocabularyFile::add(std::string_view name, const std::vector<std::string>& mnemonics)
{
    if (std::string why = refusesName(name); !why.empty())
        return why;
    if (mnemonics.empty())
        return "Nothing to say: every slot is empty.";
    return put(m_lines.size(), std::string(name) + " = " + joined(mnemonics), true);
}

std::string VocabularyFile::addText(std::string_view name, std::string_view text)
{
    if (std::string why = refusesName(name); !why.empty())
        return why;
    if (text.find_first_of("#\n\r") != std::string_view::npos)
        return "The text cannot hold '#' or a line end.";
    return put(m_lines.size(), std::string(name) + ": " + std::string(text), true);
}

std::string VocabularyFile::setMnemonics(std::size_t entry,
                                         const std::vector<std::string>& mnemonics)
{
    const Vocabulary::Entry& e = m_vocabulary.entries().at(entry);
    if (!e.parts.empty())
        return "A phrase says other entries: change those.";
    if (mnemonics.empty())
        return "Nothing to say: every slot is empty.";
    return put(lineOf(entry), e.name + " = " + joined(mnemonics), false);
}

std::string VocabularyFile::rename(std::size_t entry, std::string_view name)
{
    if (std::string why = refusesName(name); !why.empty())
        return why;
    return put(lineOf(entry), lineFor(m_vocabulary.entries().at(entry), name), false);
}

void VocabularyFile::remove(std::size_t entry)
{
    const auto line = m_lines.begin() + long(lineOf(entry));
    // The file's last line keeps its ending, or its lack of one.
    if (line + 1 == m_lines.end() && line != m_lines.begin())
        (line - 1)->end = line->end;
    m_lines.erase(line);
    reparse();
}

void VocabularyFile::move(std::size_t entry, bool up)
{
    if ((up && entry == 0) || (!up && entry + 1 >= size()))
        return;
    // The lines change places; the endings stay where they were.
    std::swap(m_lines[lineOf(entry)].text, m_lines[lineOf(up ? entry - 1 : entry + 1)].text);
    reparse();
}

} // namespace tessary
