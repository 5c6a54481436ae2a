#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tessary::samplegen {

// How one allophone's sample is cut out of a synthesiser's speech.
struct SampleRecipe
{
    enum class Cut {
        Pause,  // digital silence of the allophone's length
        Steady, // a sound that holds still: the allophone's length from the middle of its segment
        Glide,  // a sound that moves (diphthongs, r-coloured vowels): as much of it as fits
        Stop,   // closure, burst and release: ends where the release ends, silence before
    };

    // The set's own voice cut of the same allophone, which a cut from another voice is
    // brought to the level of: a word (carrier) and its segment (target).
    struct Level
    {
        std::string carrier;
        std::string target;
    };

    SampleRecipe(std::string mnemonic, std::string example, Cut cut, std::string carrier,
                 std::string target, int occurrence, int releaseMs, std::string voice = {},
                 double gainDb = 0, double fadeMs = 4, Level levelWith = {})
        : mnemonic(std::move(mnemonic)), example(std::move(example)), cut(cut),
          carrier(std::move(carrier)), target(std::move(target)), occurrence(occurrence),
          releaseMs(releaseMs), voice(std::move(voice)), gainDb(gainDb), fadeMs(fadeMs),
          levelWith(std::move(levelWith))
    {}

    std::string mnemonic;
    std::string example; // the word on the allophone's label
    Cut cut = Cut::Steady;
    std::string
        carrier;        // the word flite speaks, or espeak-ng phonemes (Kirshenbaum) for its voices
    std::string target; // the segment(s) to cut out, as the voice names them; "a b" spans two
    int occurrence = 1; // which occurrence of the target in the carrier
    int releaseMs = 0;  // Stop: how far into the next phoneme the release runs
    std::string voice;  // a voice other than the set's (flite:rms), where it cut better
    double gainDb = 0;  // this sample's level against the set's one gain
    double fadeMs = 4;  // the fades at the cut's edges (a stop's burst fades in over 1 ms)
    Level levelWith;    // for another voice: the set voice's cut to match in level
};

// One row per allophone, in the chip's code order: what the listening judge chose.
const std::vector<SampleRecipe>& sampleRecipes();

} // namespace tessary::samplegen
