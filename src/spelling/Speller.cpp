#include "Speller.h"

#include "AllophoneRules.h"

#include <cctype>

namespace tessary {

namespace {

bool punctuation(char c)
{
    return std::ispunct(static_cast<unsigned char>(c)) && c != '\'' && c != '-';
}

Break breakIn(std::string_view trailing)
{
    Break b = Break::Word;
    for (char c : trailing) {
        if (c == '.' || c == '!' || c == '?')
            return Break::Sentence;
        if (c == ',' || c == ';' || c == ':')
            b = Break::Clause;
    }
    return b;
}

const char* pauseAfter(Break b, bool last)
{
    switch (b) {
    case Break::Sentence:
        return "pa5";
    case Break::Clause:
        return "pa4";
    case Break::Word:
        break;
    }
    return last ? "pa1" : "pa3";
}

} // namespace

Speller::Speller(WordList words) : m_words(std::move(words)) {}

void Speller::addRun(const std::string& run, std::vector<Item>& items) const
{
    for (const PhonemeWord& w : m_phonemizer.phonemize(run)) {
        Item item{AllophoneRules::spellWord(w.phonemes), w.after};
        if (!item.allophones.empty())
            items.push_back(std::move(item));
        else if (!items.empty() && w.after != Break::Word)
            items.back().after = w.after;
    }
}

std::vector<std::string> Speller::spell(std::string_view text) const
{
    return spell(text, WordList());
}

std::vector<std::string> Speller::spell(std::string_view text, const WordList& first) const
{
    // Words of the word list are cut out of the text; what lies between them goes to espeak-ng
    // whole, so that it reads numbers and abbreviations in their context.
    std::vector<Item> items;
    std::string run;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = text.find_first_not_of(" \t\r\n", at);
        if (start == std::string_view::npos)
            break;
        std::size_t end = text.find_first_of(" \t\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view chunk = text.substr(start, end - start);
        std::size_t wordBegin = 0;
        std::size_t wordEnd = chunk.size();
        while (wordBegin < wordEnd && punctuation(chunk[wordBegin]))
            ++wordBegin;
        while (wordEnd > wordBegin && punctuation(chunk[wordEnd - 1]))
            --wordEnd;
        const std::vector<std::string>* given = nullptr;
        if (wordBegin == 0 && wordEnd > 0) {
            given = first.find(chunk.substr(0, wordEnd));
            if (!given)
                given = m_words.find(chunk.substr(0, wordEnd));
        }
        if (given) {
            addRun(run, items);
            run.clear();
            items.push_back({*given, breakIn(chunk.substr(wordEnd))});
        } else {
            run.append(chunk).push_back(' ');
        }
        at = end;
    }
    addRun(run, items);

    std::vector<std::string> out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        out.insert(out.end(), items[i].allophones.begin(), items[i].allophones.end());
        out.emplace_back(pauseAfter(items[i].after, i + 1 == items.size()));
    }
    return out;
}

} // namespace tessary
