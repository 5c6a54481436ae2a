#pragma once

#include "vocabulary/Vocabulary.h"
#include "vocabulary/VocabularyHeader.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

class Speller;

// A vocabulary file made ready for its header: its English entries spelled, its number words
// and phrases composed. `tessary vocab` and the window's Vocabulary window both write through
// it, so that a header is the same whichever wrote it.
class VocabularySpeller
{
public:
    // Whether `speller` reads the user's word list; the header then says which entries it
    // spelled otherwise than the built-in list would.
    enum class UserWords { With, Without };

    // `speller` is asked for only when something needs spelling: a vocabulary of codes
    // needs no espeak-ng.
    VocabularySpeller(std::function<const Speller&()> speller, UserWords userWords);

    // The entries of English text spelled (one with nothing to say is a problem) and the
    // phrases composed; problems in line order.
    void spell(Vocabulary& vocabulary, std::vector<Vocabulary::Problem>& problems) const;
    // The number words' codes in NumberWords' order, each without the pause that ends a
    // spelling; a unit's lighter form is cut from the spelling of "twenty" and the unit, so
    // that a number said word by word is its text's spelling.
    std::vector<std::vector<int>> numberCodes() const;

    struct Header
    {
        Vocabulary vocabulary;
        VocabularyHeader::Source source;
        std::string text; // empty when there were problems
        std::vector<Vocabulary::Problem> problems;
    };
    // The whole way from a vocabulary file's text to its header. `prefix` names everything in
    // it; `origin` is where the text came from, for the header's first comment.
    Header header(std::string_view text, VocabularyHeader::Form form, const std::string& prefix,
                  const std::string& origin) const;

private:
    std::vector<std::string> spelled(const std::string& text) const;
    std::string note(const Vocabulary& vocabulary) const;

    std::function<const Speller&()> m_speller;
    UserWords m_userWords;
};

} // namespace tessary
