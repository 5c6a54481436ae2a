#pragma once

#include <string>
#include <utility>
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

    SampleRecipe(std::string mnemonic, std::string example, Cut cut, std::string carrier,
                 std::string target, int occurrence, int releaseMs)
        : mnemonic(std::move(mnemonic)), example(std::move(example)), cut(cut),
          carrier(std::move(carrier)), target(std::move(target)), occurrence(occurrence),
          releaseMs(releaseMs)
    {}

    std::string mnemonic;
    std::string example; // the word on the allophone's label
    Cut cut = Cut::Steady;
    std::string carrier; // espeak-ng phonemes (Kirshenbaum), spoken in full
    std::string target;  // the phoneme(s) to cut out, as espeak names them; "a b" spans two
    int occurrence = 1;  // which occurrence of the target in the carrier
    int releaseMs = 0;   // Stop: how far into the next phoneme the release runs
    std::string voice;   // an espeak-ng voice other than the set's, where it cut better
    double gainDb = 0;   // this sample's level against the set's one gain
    double fadeMs = 4;   // the fades at the cut's edges (a stop's burst fades in over 1 ms)
};

// One row per allophone, in the chip's code order.
const std::vector<SampleRecipe>& sampleRecipes();

// Changes to those rows that the listening judge chose (tools/choose-samples), each written as
// `tessary-samplegen --recipe` takes it: "hh1 carrier=h'eI target=h".
const std::vector<std::string>& chosenChanges();

} // namespace tessary::samplegen
