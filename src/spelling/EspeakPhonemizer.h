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

private:
    bool m_available = false;
};

} // namespace tessary
