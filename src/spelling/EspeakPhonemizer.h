#pragma once

#include "Phoneme.h"

#include <string_view>
#include <vector>

namespace tessary {

// English text to phonemes, word by word, through espeak-ng's own rules and dictionary (en-us):
// numbers, abbreviations and unknown words included. espeak-ng keeps global state, so every
// instance shares one initialisation and one lock.
class EspeakPhonemizer
{
public:
    EspeakPhonemizer();
    // False when espeak-ng or its English data could not be loaded.
    bool available() const { return m_available; }
    std::vector<PhonemeWord> phonemize(std::string_view text) const;

    // What of `text` espeak-ng is given: the Latin script, digits, punctuation and symbols that
    // English text holds; every other character, a control character and a byte that is not
    // UTF-8 become a space, a word break; and no run without a space is longer than
    // kLongestWord bytes. A letter of another script makes espeak-ng 1.51 switch its translator,
    // and it then reads the one it has just freed; a letter, a dot and some 170 letters more
    // overflow a buffer on its stack.
    static std::string safeText(std::string_view text);
    // Longer than any English word (45 letters at the most), far below what espeak-ng overflows.
    static constexpr std::size_t kLongestWord = 64;

private:
    bool m_available = false;
};

} // namespace tessary
