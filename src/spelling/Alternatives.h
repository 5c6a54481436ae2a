#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// The other plausible ways to spell one word, for a user whose word the rules spell badly: the
// same word with one sound swapped for its other variant on the chip (KK1/KK2/KK3, DD1/DD2,
// LL/EL, HH1/HH2...), a doubled short vowel made single or a single one doubled, and the other
// reading of a word spelled alike but said two ways ("live", "wind", "tear").
class Alternatives
{
public:
    // At most this many spellings, the rules' own first.
    static constexpr std::size_t kMost = 16;

    // `spelling` is the rules' spelling of `word` (its pauses included); the result starts with
    // it, and holds each other spelling once.
    static std::vector<std::vector<std::string>> of(std::string_view word,
                                                    const std::vector<std::string>& spelling);
};

} // namespace tessary
