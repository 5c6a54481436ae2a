#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// A firmware author's words, one entry a line, each a name and what the chip says for it:
//
//     # comments and blank lines are skipped
//     hello = hh1 eh ll ow pa1          mnemonics, code texts or numbers
//     greeting: Hello there.            English text, spelled by the caller
//     good night                        text alone: named after itself (good_night)
//     %numbers                          number words and a function that says any integer
//     %numbers british                  the same with "and" ("one hundred and five")
//     %phrase alarm = wake up now       a phrase of entries, said with the word gap between
//
// Every name becomes a C identifier, unique whatever its letter case, so that a header can hold
// them all. What is wrong is reported with its line, and the entry is left out.
class Vocabulary
{
public:
    struct Entry
    {
        std::string name;       // as written
        std::string identifier; // a valid C identifier made of the name
        std::string word;       // the name in words joined by '_', for a prefixed C name
        int line = 0;
        bool text = false;      // `source` is English text that still needs spelling
        std::string source;     // what followed the separator, trimmed
        std::vector<int> codes; // the chip's codes (for text: once spelled)
        // A phrase: the entries it says in turn (their names), its codes once composed.
        std::vector<std::string> parts;
        std::vector<std::size_t> partIndices;
    };
    struct Problem
    {
        int line = 0;
        std::string message;
    };

    static Vocabulary parse(std::string_view text, std::vector<Problem>& problems);

    // Each phrase's codes from its entries' (spelled by now): each entry's without the pauses
    // that end it, the word gap between them as between words, PA1 after the last so that the chip
    // falls silent. An entry it names that does not exist, or is itself a phrase, is a problem.
    void composePhrases(std::vector<Problem>& problems);

    enum class Numbers { None, American, British };
    Numbers numbers() const { return m_numbers; }

    std::vector<Entry>& entries() { return m_entries; }
    const std::vector<Entry>& entries() const { return m_entries; }

    // Letters, digits and single underscores between them; "w_" before a name that would start
    // with a digit or be a C or C++ keyword.
    static std::string identifier(std::string_view name);
    // The name's words (ASCII letters and digits, another script's letters as uNNNN) joined
    // by single '_'s: what follows a prefix in a C name. "w" for a name with no word.
    static std::string words(std::string_view name);

private:
    std::vector<Entry> m_entries;
    Numbers m_numbers = Numbers::None;
};

} // namespace tessary
