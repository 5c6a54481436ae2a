// Spelling a 10,000-word English text (sentences of everyday words, numbers among them):
// wall time and words per second. Printed, not asserted.
#include "spelling/Speller.h"

#include <chrono>
#include <cstdio>
#include <string>

int main()
{
    const char* const sentences[] = {
        "The quick brown fox jumps over the lazy dog near the river bank.",
        "Please close the door, turn the power off and check the battery.",
        "Warning: the temperature in room 42 is rising above 85 degrees!",
        "Seven robots were counting their steps while the alarm kept ringing.",
        "Is the computer ready to speak, or should we wait another minute?",
    };
    std::string text;
    int words = 0;
    for (int i = 0; words < 10000; ++i) {
        const std::string s = sentences[i % 5];
        text += s + ' ';
        for (char c : s)
            words += c == ' ';
        ++words;
    }
    tessary::Speller speller;
    if (!speller.available()) {
        std::puts("espeak-ng's English data is missing");
        return 1;
    }
    speller.spell("warm up");
    const auto t0 = std::chrono::steady_clock::now();
    const auto spelling = speller.spell(text);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%d words spelled in %.0f ms (%.0f words/s), %zu allophones\n", words, ms,
                words / ms * 1000, spelling.size());
    return 0;
}
