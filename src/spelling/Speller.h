#pragma once

#include "EspeakPhonemizer.h"
#include "SpellingStyle.h"
#include "WordList.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// English text to an allophone spelling: a list of mnemonics that the code string, the players
// and the window all take. Words in the word list are spelled as it says; the rest go through
// espeak-ng's phonemes and the chip's conventions (AllophoneRules). Words are separated by PA1,
// clauses end in PA4 and sentences in PA5, and the spelling ends in a pause (PA1 at least), so
// that the chip falls silent after the last word.
class Speller
{
public:
    explicit Speller(WordList words = WordList::builtIn());
    // With the user's word list over the built-in one; each problem in it goes to `report` as
    // one line that names the file.
    static std::unique_ptr<Speller>
    forThisUser(const std::function<void(const std::string&)>& report);

    bool available() const { return m_phonemizer.available(); }
    // Conventional unless told otherwise.
    void setStyle(SpellingStyle::Style style) { m_style = style; }
    SpellingStyle::Style style() const { return m_style; }
    std::vector<std::string> spell(std::string_view text) const;
    // The same, with `first` consulted before the word list: spellings the user is trying out.
    std::vector<std::string> spell(std::string_view text, const WordList& first) const;
    // The ways to spell a text: its spelling first, then, word by word, the text with that word
    // spelled another way: in the other style first, then as Alternatives has it, each once, at
    // most `most`.
    std::vector<std::vector<std::string>> alternatives(std::string_view text,
                                                       std::size_t most = 64) const;
    // The ways to spell one word alone: its spelling, the word in the other style, then as
    // Alternatives has it; each once.
    std::vector<std::vector<std::string>> wordAlternatives(std::string_view word) const;

private:
    struct Item
    {
        std::vector<std::string> allophones;
        Break after = Break::Word;
    };
    void addRun(const std::string& run, std::vector<Item>& items) const;

    // The same, for a word already spelled alone as `alone`.
    std::vector<std::vector<std::string>>
    wordAlternatives(std::string_view word, const std::vector<std::string>& alone) const;
    std::vector<std::string> spellIn(SpellingStyle::Style style, std::string_view text,
                                     const WordList& first) const;

    WordList m_words;
    EspeakPhonemizer m_phonemizer;
    SpellingStyle::Style m_style = SpellingStyle::Style::Conventional;
};

} // namespace tessary
