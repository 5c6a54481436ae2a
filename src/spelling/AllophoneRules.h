#pragma once

#include "Phoneme.h"

#include <string>
#include <vector>

namespace tessary {

// One word's phonemes to the chip's allophones (mnemonics), following the chip's own
// conventions: the variant made for each position (KK1/KK2/KK3, DD1/DD2, HH1/HH2...), stressed
// short vowels and initial FF, TH and SS doubled, the closure pause before a stop inside a word.
class AllophoneRules
{
public:
    static std::vector<std::string> spellWord(const std::vector<Phoneme>& phonemes);
};

} // namespace tessary
