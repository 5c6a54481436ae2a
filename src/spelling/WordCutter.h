#pragma once

#include <string_view>
#include <vector>

namespace tessary {

// Text cut into words as the speller reads it, for the speller and the Spell Text dialog alike:
// at white space, with the punctuation after a word set apart. An apostrophe or a hyphen is
// part of a word ("don't", "well-known"); a chunk that begins with other punctuation holds no
// word the word list could name.
class WordCutter
{
public:
    struct Word
    {
        std::string_view chunk;    // the text between two runs of white space
        std::string_view word;     // its word; empty when the chunk begins with punctuation
        std::string_view trailing; // the punctuation after the word: a clause's or sentence's end
    };

    static std::vector<Word> cut(std::string_view text);
};

} // namespace tessary
