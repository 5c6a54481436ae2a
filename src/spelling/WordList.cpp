#include "WordList.h"

#include "catalogue/AllophoneTable.h"
#include "files/UserFile.h"
#include "text/TextLines.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace tessary {

namespace {

std::string lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool wordCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '\'' || c == '-';
}

// Common words whose rule-made spelling sounds worse than the one a person would choose.
constexpr std::string_view kBuiltIn = R"(
hello  hh1 eh ll ow
)";

} // namespace

WordList WordList::builtIn()
{
    WordList list;
    std::vector<Problem> none;
    list.add(kBuiltIn, none);
    return list;
}

WordList WordList::forThisUser(std::filesystem::path& file, std::vector<Problem>& problems)
{
    WordList list = builtIn();
    file = userFile();
    if (!file.empty())
        list.addFile(file, problems);
    return list;
}

std::filesystem::path WordList::userFile(const UserFolders::Environment& env)
{
    const std::filesystem::path folder = UserFolders::config(env);
    return folder.empty() ? folder : folder / "words";
}

std::string WordList::withSpellings(std::string_view text,
                                    const std::vector<std::pair<std::string, std::string>>& words)
{
    std::vector<TextLines::Line> lines = TextLines::split(text);
    const std::string end = TextLines::usualEnd(lines);
    const bool endsOpen = !lines.empty() && lines.back().end.empty();
    std::erase_if(lines, [&](const TextLines::Line& line) {
        std::istringstream fields(line.text);
        std::string first;
        fields >> first;
        return std::any_of(words.begin(), words.end(),
                           [&](const auto& w) { return lower(w.first) == lower(first); });
    });
    // The words' lines in the file's own line ending; the last line as the file's was.
    if (!lines.empty() && lines.back().end.empty())
        lines.back().end = end;
    for (const auto& [word, mnemonics] : words)
        lines.push_back({word + " " + mnemonics, end});
    if (endsOpen && !lines.empty())
        lines.back().end.clear();
    return TextLines::join(lines);
}

void WordList::add(std::string_view text, std::vector<Problem>& problems)
{
    int number = 0;
    for (TextLines::Line& whole : TextLines::split(text)) {
        std::string& line = whole.text;
        ++number;
        if (const auto hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        std::istringstream fields(line);
        std::string word;
        if (!(fields >> word))
            continue; // blank
        bool ok = true;
        for (char c : word)
            ok = ok && wordCharacter(c);
        if (!ok) {
            problems.push_back({number, "'" + word + "' is not a word"});
            continue;
        }
        std::vector<std::string> spelling;
        std::string mnemonic;
        while (ok && fields >> mnemonic) {
            const std::string m = lower(mnemonic);
            if (!AllophoneTable::FindByMnemonic(m)) {
                problems.push_back({number, "'" + mnemonic + "' is not an allophone"});
                ok = false;
            }
            spelling.push_back(m);
        }
        if (ok && spelling.empty()) {
            problems.push_back({number, "'" + word + "' has no allophones"});
            ok = false;
        }
        if (ok)
            m_words.insert_or_assign(lower(word), std::move(spelling));
    }
}

void WordList::addFile(const std::filesystem::path& file, std::vector<Problem>& problems)
{
    const UserFile::Contents contents = UserFile::read(file, kMaxFileBytes);
    if (contents.status == UserFile::Status::Refused)
        problems.push_back({0, contents.problem});
    else if (contents.status == UserFile::Status::Read)
        add(contents.bytes, problems);
}

std::string WordList::describe(const std::filesystem::path& file, const Problem& problem)
{
    if (problem.line == 0)
        return problem.message + "; the word list is skipped";
    return file.string() + ":" + std::to_string(problem.line) + ": " + problem.message +
           "; the line is skipped";
}

const std::vector<std::string>* WordList::find(std::string_view word) const
{
    const auto it = m_words.find(lower(word));
    return it == m_words.end() ? nullptr : &it->second;
}

} // namespace tessary
