#pragma once

#include <string>
#include <vector>

namespace tessary {

// Integers as English number words, in the order a vocabulary's number table holds them, and
// as the generated firmware says them: 0-19, twenty to ninety, hundred, thousand, minus, and;
// then 1-19 again as they sound at the end of a longer number ("one" in "forty one" is said
// more lightly than alone), which espeak-ng's reading of the whole number shows.
class NumberWords
{
public:
    static constexpr long kMost = 999999;
    static constexpr int kTens = 20, kHundred = 28, kThousand = 29, kMinus = 30, kAnd = 31;
    static constexpr int kFinal = 32; // 1-19 at the end: kFinal + n - 1
    static constexpr int kCount = 51;

    // The texts of the table's first kFinal words.
    static const std::vector<std::string>& texts();
    // The words of n (|n| <= kMost), as indices into the table; British English puts "and"
    // before the tens ("one hundred and five").
    static std::vector<int> of(long n, bool british);
    // The same as text: "minus one hundred and five".
    static std::string text(long n, bool british);
};

} // namespace tessary
