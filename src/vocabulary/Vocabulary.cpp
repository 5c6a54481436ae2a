#include "Vocabulary.h"

#include "text/TextLines.h"

#include "text/Utf8.h"

#include "catalogue/AllophoneTable.h"
#include "composer/CodeFormat.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>
#include <map>
#include <sstream>

namespace tessary {

namespace {

// The code of the pause before an entry whose first code is `first` (-1: none).
int gapCode(int first)
{
    const AllophoneEntry* e = AllophoneTable::EntryByCode(first);
    return AllophoneTable::FindByMnemonic(AllophoneTable::pauseBefore(e ? e->mnemonic : ""))->code;
}

constexpr std::string_view kKeywords[] = {"alignas",
                                          "alignof",
                                          "and",
                                          "and_eq",
                                          "asm",
                                          "auto",
                                          "bitand",
                                          "bitor",
                                          "bool",
                                          "break",
                                          "case",
                                          "catch",
                                          "char",
                                          "char16_t",
                                          "char32_t",
                                          "char8_t",
                                          "class",
                                          "compl",
                                          "concept",
                                          "const",
                                          "const_cast",
                                          "consteval",
                                          "constexpr",
                                          "constinit",
                                          "continue",
                                          "co_await",
                                          "co_return",
                                          "co_yield",
                                          "decltype",
                                          "default",
                                          "delete",
                                          "do",
                                          "double",
                                          "dynamic_cast",
                                          "else",
                                          "enum",
                                          "explicit",
                                          "export",
                                          "extern",
                                          "false",
                                          "float",
                                          "for",
                                          "friend",
                                          "goto",
                                          "if",
                                          "inline",
                                          "int",
                                          "long",
                                          "mutable",
                                          "namespace",
                                          "new",
                                          "noexcept",
                                          "not",
                                          "not_eq",
                                          "nullptr",
                                          "operator",
                                          "or",
                                          "or_eq",
                                          "private",
                                          "protected",
                                          "public",
                                          "register",
                                          "reinterpret_cast",
                                          "requires",
                                          "restrict",
                                          "return",
                                          "short",
                                          "signed",
                                          "sizeof",
                                          "static",
                                          "static_assert",
                                          "static_cast",
                                          "struct",
                                          "switch",
                                          "template",
                                          "this",
                                          "thread_local",
                                          "throw",
                                          "true",
                                          "try",
                                          "typedef",
                                          "typeid",
                                          "typename",
                                          "union",
                                          "unsigned",
                                          "using",
                                          "virtual",
                                          "void",
                                          "volatile",
                                          "wchar_t",
                                          "while",
                                          "xor",
                                          "xor_eq",
                                          "_Bool",
                                          "_Complex",
                                          "_Imaginary",
                                          "main",
                                          "NULL"};

std::string_view trimmed(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// A '#' at the start of a line or after a space begins a comment.
std::string_view withoutComment(std::string_view line)
{
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t'))
            return line.substr(0, i);
    }
    return line;
}

std::string folded(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

std::string Vocabulary::words(std::string_view name)
{
    std::string id;
    bool gap = false;
    const auto word = [&](std::string_view w) {
        if (gap && !id.empty())
            id += '_';
        id += w;
        gap = false;
    };
    for (std::size_t i = 0; i < name.size();) {
        std::size_t n = 0;
        const std::optional<char32_t> c = Utf8::decode(name, i, n);
        if (c && *c < 0x80 && std::isalnum(static_cast<unsigned char>(*c))) {
            word(name.substr(i, 1));
        } else if (c && *c >= 0x80) {
            // A letter of another script as its code point, a word of its own: names in
            // Japanese or Greek stay apart from each other.
            char point[16];
            std::snprintf(point, sizeof point, "u%04X", static_cast<unsigned>(*c));
            gap = true;
            word(point);
            gap = true;
        } else {
            gap = true; // a run of anything else is one underscore
        }
        i += n;
    }
    // Never a trailing or doubled underscore: "int_" would make "int__length", which C++
    // reserves.
    return id.empty() ? "w" : id;
}

std::string Vocabulary::identifier(std::string_view name)
{
    std::string id = words(name);
    if (std::isdigit(static_cast<unsigned char>(id.front())) ||
        std::find(std::begin(kKeywords), std::end(kKeywords), id) != std::end(kKeywords))
        id.insert(0, "w_");
    return id;
}

namespace {

// The line as an entry: a name, and mnemonics after '=' or text after ':', or text alone. False,
// with the problem, when it is not one.
bool entryOf(std::string_view line, Vocabulary::Entry& e, std::string& problem)
{
    const std::size_t sep = line.find_first_of("=:");
    if (sep == std::string_view::npos) {
        // A line of words alone, as in a plain list of words: named after itself.
        e.name = std::string(line);
        e.text = true;
        e.source = e.name;
    } else {
        e.name = std::string(trimmed(line.substr(0, sep)));
        e.text = line[sep] == ':';
        e.source = std::string(trimmed(line.substr(sep + 1)));
    }
    if (e.name.empty())
        problem = "the entry has no name";
    else if (e.source.empty())
        problem = "'" + e.name + "' has nothing to say";
    return problem.empty();
}

// Mnemonics, code texts or numbers, separated by spaces, tabs or commas.
bool codesOf(std::string_view source, std::vector<int>& codes, std::string& problem)
{
    std::string item;
    for (std::size_t i = 0; i <= source.size(); ++i) {
        const char c = i < source.size() ? source[i] : ' ';
        if (c != ' ' && c != '\t' && c != ',') {
            item += c;
            continue;
        }
        if (item.empty())
            continue;
        const auto code = CodeFormat::parseCode(item);
        if (!code) {
            problem = "'" + item + "' is not a mnemonic, a code text or a number 0-63";
            return false;
        }
        codes.push_back(*code);
        item.clear();
    }
    return true;
}

// "NAME = ENTRY ENTRY ...": a phrase's name and the entries it says.
bool phraseOf(std::string_view line, Vocabulary::Entry& e, std::string& problem)
{
    const std::size_t eq = line.find('=');
    if (eq != std::string_view::npos) {
        e.name = std::string(trimmed(line.substr(0, eq)));
        std::istringstream parts{std::string(line.substr(eq + 1))};
        for (std::string part; parts >> part;)
            e.parts.push_back(part);
    }
    if (e.name.empty() || e.parts.empty()) {
        problem = "a phrase is %phrase NAME = ENTRY ENTRY ...";
        return false;
    }
    e.source = std::string(trimmed(line.substr(eq + 1)));
    return true;
}

} // namespace

void Vocabulary::composePhrases(std::vector<Problem>& problems)
{
    for (Entry& e : m_entries) {
        if (e.parts.empty())
            continue;
        e.codes.clear();
        e.partIndices.clear();
        for (const std::string& part : e.parts) {
            const auto found =
                std::find_if(m_entries.begin(), m_entries.end(),
                             [&](const Entry& o) { return folded(o.word) == folded(words(part)); });
            if (found == m_entries.end() || !found->parts.empty()) {
                problems.push_back(
                    {e.line, "'" + part +
                                 (found == m_entries.end() ? "' is no entry of this vocabulary"
                                                           : "' is a phrase, not an entry")});
                continue;
            }
            std::vector<int> codes = found->codes;
            while (!codes.empty() && AllophoneTable::is(codes.back(), kPause)) // ends a spelling
                codes.pop_back();
            if (!e.codes.empty())
                e.codes.push_back(gapCode(codes.empty() ? -1 : codes.front()));
            e.codes.insert(e.codes.end(), codes.begin(), codes.end());
            e.partIndices.push_back(static_cast<std::size_t>(found - m_entries.begin()));
        }
        e.codes.push_back(0); // PA1: the chip falls silent
    }
}

Vocabulary Vocabulary::parse(std::string_view text, std::vector<Problem>& problems)
{
    Vocabulary v;
    std::map<std::string, int> taken; // folded identifier -> its line
    int number = 0;
    for (const TextLines::Line& whole : TextLines::split(text)) {
        const std::string_view line = trimmed(withoutComment(whole.text));
        ++number;
        if (line == "%numbers" || line == "%numbers american" || line == "%numbers british") {
            v.m_numbers = line == "%numbers british" ? Numbers::British : Numbers::American;
            continue;
        }
        Entry e;
        e.line = number;
        std::string problem;
        const bool phrase = line.rfind("%phrase ", 0) == 0;
        if (!line.empty() && line.front() == '%' && !phrase) {
            problems.push_back({number, "'" + std::string(line) +
                                            "' is no directive: %numbers, %numbers british or "
                                            "%phrase NAME = ENTRY..."});
            continue;
        }
        if (phrase && !phraseOf(line.substr(8), e, problem)) {
            problems.push_back({number, problem});
            continue;
        }
        if (!phrase && (line.empty() || !entryOf(line, e, problem) ||
                        (!e.text && !codesOf(e.source, e.codes, problem)))) {
            if (!problem.empty())
                problems.push_back({number, problem});
            continue;
        }
        e.identifier = identifier(e.name);
        e.word = words(e.name);
        const auto [clash, fresh] = taken.emplace(folded(e.identifier), number);
        if (!fresh) {
            problems.push_back({number, "'" + e.name + "' makes the same C name, " + e.identifier +
                                            ", as the entry on line " +
                                            std::to_string(clash->second)});
            continue;
        }
        v.m_entries.push_back(std::move(e));
    }
    return v;
}

} // namespace tessary
