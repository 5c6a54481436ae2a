#include "Speller.h"

#include "AllophoneRules.h"
#include "Alternatives.h"
#include "WordCutter.h"
#include "catalogue/AllophoneTable.h"

#include <algorithm>
#include <cctype>

namespace tessary {

namespace {

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

// `next` is the next word's first allophone, "" after the last word.
std::string_view pauseAfter(Break b, std::string_view next)
{
    switch (b) {
    case Break::Sentence:
        return "pa5";
    case Break::Clause:
        return "pa4";
    case Break::Word:
        break;
    }
    return AllophoneTable::pauseBefore(next);
}

} // namespace

Speller::Speller(WordList words) : m_words(std::move(words)) {}

std::unique_ptr<Speller> Speller::forThisUser(const std::function<void(const std::string&)>& report)
{
    std::filesystem::path file;
    std::vector<WordList::Problem> problems;
    WordList words = WordList::forThisUser(file, problems);
    for (const WordList::Problem& p : problems)
        report(WordList::describe(file, p));
    return std::make_unique<Speller>(std::move(words));
}

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
    return spellIn(m_style, text, first);
}

std::vector<std::string> Speller::spellIn(SpellingStyle::Style style, std::string_view text,
                                          const WordList& first) const
{
    // Words of the word list are cut out of the text; what lies between them goes to espeak-ng
    // whole, so that it reads numbers and abbreviations in their context.
    std::vector<Item> items;
    std::string run;
    for (const WordCutter::Word& w : WordCutter::cut(text)) {
        const std::vector<std::string>* given = nullptr;
        if (!w.word.empty()) {
            given = first.find(w.word);
            if (!given)
                given = m_words.find(w.word);
        }
        if (given) {
            addRun(run, items);
            run.clear();
            items.push_back({*given, breakIn(w.trailing)});
        } else {
            run.append(w.chunk).push_back(' ');
        }
    }
    addRun(run, items);

    std::vector<std::string> out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        out.insert(out.end(), items[i].allophones.begin(), items[i].allophones.end());
        out.emplace_back(pauseAfter(items[i].after, i + 1 == items.size()
                                                        ? std::string_view()
                                                        : items[i + 1].allophones.front().c_str()));
    }
    return SpellingStyle::apply(style, std::move(out));
}

std::vector<std::vector<std::string>> Speller::wordAlternatives(std::string_view word) const
{
    return wordAlternatives(word, spell(word));
}

std::vector<std::vector<std::string>>
Speller::wordAlternatives(std::string_view word, const std::vector<std::string>& alone) const
{
    std::vector<std::vector<std::string>> ways = Alternatives::of(word, alone);
    // The word in the other style comes first: the two are one step apart.
    const auto otherStyle = m_style == SpellingStyle::Style::Clear
                                ? SpellingStyle::Style::Conventional
                                : SpellingStyle::Style::Clear;
    std::vector<std::string> other = spellIn(otherStyle, word, WordList());
    if (std::find(ways.begin(), ways.end(), other) == ways.end())
        ways.insert(ways.begin() + 1, std::move(other));
    return ways;
}

std::vector<std::vector<std::string>> Speller::alternatives(std::string_view text,
                                                            std::size_t most) const
{
    const std::vector<std::string> whole = spell(text);
    std::vector<std::vector<std::string>> out{whole};
    std::size_t at = 0; // where the next word's sounds are looked for
    for (const WordCutter::Word& w : WordCutter::cut(text)) {
        if (w.word.empty())
            continue;
        const std::vector<std::string> alone = spell(w.word);
        std::size_t sounds = alone.size();
        while (sounds > 0 && AllophoneTable::isPause(alone[sounds - 1]))
            --sounds;
        const auto found = std::search(whole.begin() + long(at), whole.end(), alone.begin(),
                                       alone.begin() + long(sounds));
        if (sounds == 0 || found == whole.end())
            continue; // said otherwise in its context ("the" before a vowel): left as it is
        const auto begin = static_cast<std::size_t>(found - whole.begin());
        at = begin + sounds;
        for (std::vector<std::string> a : wordAlternatives(w.word, alone)) {
            while (!a.empty() && AllophoneTable::isPause(a.back()))
                a.pop_back();
            std::vector<std::string> s(whole.begin(), whole.begin() + long(begin));
            // The gap before the word follows its first sound, as the speller's does.
            if (!s.empty() && s.back() == AllophoneTable::pauseBefore(alone.front()) && !a.empty())
                s.back() = AllophoneTable::pauseBefore(a.front());
            s.insert(s.end(), a.begin(), a.end());
            s.insert(s.end(), whole.begin() + long(at), whole.end());
            if (out.size() < most && std::find(out.begin(), out.end(), s) == out.end())
                out.push_back(std::move(s));
        }
    }
    return out;
}

} // namespace tessary
