#pragma once

#include <string>
#include <vector>

namespace tessary::samplegen {

// How one allophone's sample is cut out of espeak-ng's speech.
struct SampleRecipe
{
    enum class Cut {
        Pause,  // digital silence of the allophone's length
        Steady, // a sound that holds still: the allophone's length from the middle of its segment
        Glide,  // a sound that moves (diphthongs, r-coloured vowels): as much of it as fits
        Stop,   // closure, burst and release: ends where the release ends, silence before
    };

    std::string mnemonic;
    std::string example; // the word on the allophone's label
    Cut cut = Cut::Steady;
    std::string carrier; // espeak-ng phonemes (Kirshenbaum), spoken in full
    std::string target;  // the phoneme(s) to cut out, as espeak names them; "a b" spans two
    int occurrence = 1;  // which occurrence of the target in the carrier
    int releaseMs = 0;   // Stop: how far into the next phoneme the release runs
};

// One row per allophone, in the chip's code order.
const std::vector<SampleRecipe>& sampleRecipes();

} // namespace tessary::samplegen
