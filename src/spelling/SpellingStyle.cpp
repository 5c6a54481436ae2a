#include "SpellingStyle.h"

#include "catalogue/AllophoneTable.h"

#include <utility>

namespace tessary {

namespace {

// The clear style's swaps; with them a sound said twice in a row is said once. Each was measured
// on its own and all together by the phrase judge (tools/judge-phrases --respell): alone each
// gain was within the judge's noise, together they took the training phrases from 0.15 to 0.34
// and the held-out ones from 0.22 to 0.35 (the README has the figures).
const std::pair<std::string_view, std::string_view> kSwaps[] = {
    {"kk1", "kk3"}, // KK1 (115 ms) and KK2 (134 ms): the longer closure heard as a gap
    {"kk2", "kk3"}, {"rr1", "rr2"}, // RR1 (127 ms) as RR2 (82 ms)
    {"tt2", "tt1"},                 // TT2's aspiration heard as "to"
    {"pa3", "pa1"},                 // an unvoiced stop's closure: 6 ms of silence, not 45
};

} // namespace

std::optional<SpellingStyle::Style> SpellingStyle::parse(std::string_view name)
{
    if (name == "conventional")
        return Style::Conventional;
    if (name == "clear")
        return Style::Clear;
    return std::nullopt;
}

std::string_view SpellingStyle::name(Style style)
{
    return style == Style::Clear ? "clear" : "conventional";
}

std::vector<std::string> SpellingStyle::apply(Style style, std::vector<std::string> spelling)
{
    if (style == Style::Conventional)
        return spelling;
    std::vector<std::string> out;
    out.reserve(spelling.size());
    for (std::string& m : spelling) {
        for (const auto& [from, to] : kSwaps)
            if (m == from)
                m = to;
        // A doubled vowel said once: twice as long, it was heard as two syllables.
        if (!out.empty() && out.back() == m && !AllophoneTable::isPause(m))
            continue;
        out.push_back(std::move(m));
    }
    return out;
}

} // namespace tessary
