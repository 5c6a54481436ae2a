#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// How a text is spelled. Conventional: the chip's own conventions (KK1 before a front vowel,
// RR1 at a word's start, a stressed short vowel doubled, PA3 before an unvoiced stop), as its
// maker spelled its sample words; what a chip says best by its maker's word. Clear: KK3 for
// every k, RR2 for every r, TT1 for every t, PA1 for every closure and a doubled vowel once, the
// forms the listening judge heard best from the sample set (see the README's figures): a
// spelling clearer from our samples is not yet known to be clearer from the chip, so both stay
// one step apart, and a user with a chip can hear both on it.
class SpellingStyle
{
public:
    enum class Style { Conventional, Clear };

    // "conventional" or "clear"; nothing for anything else.
    static std::optional<Style> parse(std::string_view name);
    static std::string_view name(Style style);
    // A conventional spelling in the style.
    static std::vector<std::string> apply(Style style, std::vector<std::string> spelling);
};

} // namespace tessary
