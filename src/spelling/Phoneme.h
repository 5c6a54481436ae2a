#pragma once

#include <string>
#include <vector>

namespace tessary {

// One phoneme as espeak-ng names it in ASCII ("oU", "tS", "3:"), with its stress.
struct Phoneme
{
    enum class Stress { None, Secondary, Primary };
    std::string name;
    Stress stress = Stress::None;
};

// What follows a word: another word of the clause, the end of a clause (, ; :) or of a
// sentence (. ! ?).
enum class Break { Word, Clause, Sentence };

struct PhonemeWord
{
    std::vector<Phoneme> phonemes;
    Break after = Break::Word;
};

} // namespace tessary
