#include "AllophoneRules.h"

#include "catalogue/AllophoneTable.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace tessary {

namespace {

using Stress = Phoneme::Stress;

// How each espeak-ng phoneme (en-us, ASCII names) is spoken on the chip. A phoneme spelled by
// one fixed allophone sits in the first table; the ones whose allophone depends on the
// position in the word are decided by the rules in spellWord() below, from the sample words of
// the chip's table: the variant made for that position.
struct Fixed
{
    std::string_view phoneme;
    std::array<std::string_view, 2> allophones; // a second one for diphthongs into r
};

// Vowels, and the syllabic l; position decides only UW1/UW2, the first allophone here being the
// one for its usual place.
constexpr Fixed kVowels[] = {
    {"i:", {"iy"}},         {"i", {"iy"}}, // happy
    {"I", {"ih"}},                         // sit
    {"I#", {"ih"}},                        // wanted
    {"I2", {"ih"}},                        // unstressed i
    {"E", {"eh"}},                         // end
    {"e", {"eh"}},                         //
    {"a", {"ae"}},                         // hat
    {"aa", {"ae"}},                        // bath
    {"a#", {"ax"}},                        // about
    {"A:", {"aa"}},                        // father
    {"0", {"aa"}},                         // hot
    {"O2", {"aa"}},                        // what
    {"O:", {"ao"}},                        // aught
    {"O", {"ao"}},                         //
    {"V", {"ax"}},                         // cut
    {"@", {"ax"}},                         // succeed
    {"@2", {"ax"}},                        // the
    {"@5", {"ax"}},                        // to (reduced)
    {"3", {"er1"}},                        // letter
    {"3:", {"er2"}},                       // fir
    {"eI", {"ey"}},                        // beige
    {"aI", {"ay"}},                        // sky
    {"aI@", {"ay", "er1"}},                // fire
    {"aI3", {"ay", "er1"}},                // fire
    {"aU", {"aw"}},                        // out
    {"aU@", {"aw", "er1"}},                // hour
    {"OI", {"oy"}},                        // boy
    {"oU", {"ow"}},                        // beau
    {"U", {"uh"}},                         // book
    {"A@", {"ar"}},                        // alarm
    {"o@", {"or"}},                        // store
    {"O@", {"or"}},                        //
    {"e@", {"xr"}},                        // repair
    {"i@", {"yr"}},                        // clear
    {"i@3", {"yr"}},                       // clear
    {"u:", {"uw2"}},                       // food (UW1 after YY and unstressed)
    {"U@", {"uh", "er1"}},                 // poor (UH alone before an r)
    {"@L", {"el"}},                        // syllabic l: saddle
};

// Consonants with one allophone.
constexpr Fixed kConsonants[] = {
    {"p", {"pp"}},   {"f", {"ff"}},  {"v", {"vv"}},   {"T", {"th"}}, {"s", {"ss"}}, {"z", {"zz"}},
    {"S", {"sh"}},   {"Z", {"zh"}},  {"m", {"mm"}},   {"N", {"ng"}}, {"w", {"ww"}}, {"W", {"wh"}},
    {"tS", {"ch"}},  {"dZ", {"jh"}}, {"t#", {"dd2"}}, // the tap of butter, computer
    {"?", {"tt1"}},                                   // a glottal stop stands for t: button
    {"n-", {"nn1"}},                                  // syllabic n: button
    {"x", {"hh1"}},
};

// r-coloured vowels already hold the r that follows them.
constexpr std::string_view kHoldsR[] = {"A@", "o@", "O@", "e@", "i@", "i@3", "3", "3:"};

// Vowels the chip's manuals mark as doublable when stressed or long.
constexpr std::string_view kDoublable[] = {"ih", "eh", "ae", "ao", "ax"};

// Back vowels (their allophones): HH2, KK3 and GG1 are made for them.
constexpr std::string_view kBack[] = {"uw1", "uw2", "uh", "ow", "oy", "ao", "or", "ar", "aa", "aw"};

template <typename List> bool in(const List& list, std::string_view value)
{
    return std::find(std::begin(list), std::end(list), value) != std::end(list);
}

template <typename Table> const Fixed* lookUp(const Table& table, std::string_view phoneme)
{
    for (const Fixed& f : table) {
        if (f.phoneme == phoneme)
            return &f;
    }
    return nullptr;
}

const Fixed* fixed(std::string_view phoneme)
{
    const Fixed* f = lookUp(kVowels, phoneme);
    return f ? f : lookUp(kConsonants, phoneme);
}

bool isVowel(std::string_view phoneme)
{
    return lookUp(kVowels, phoneme) != nullptr;
}

bool isStop(std::string_view allophone)
{
    static constexpr std::string_view kStops[] = {"pp",  "tt1", "tt2", "kk1", "kk2",
                                                  "kk3", "bb1", "bb2", "dd1", "dd2",
                                                  "gg1", "gg2", "gg3", "ch",  "jh"};
    return in(kStops, allophone);
}

bool isNasal(std::string_view allophone)
{
    return allophone == "mm" || allophone == "nn1" || allophone == "nn2" || allophone == "ng";
}

// The closure before a stop: a short one for the voiced stops, a longer one for the unvoiced.
std::string_view closureBefore(std::string_view stop)
{
    if (stop == "pp" || stop == "ch" || stop.substr(0, 2) == "tt" || stop.substr(0, 2) == "kk")
        return "pa3";
    return "pa1";
}

// The allophone the vowel phoneme at `i` starts with, or "" when `i` is no vowel.
std::string_view vowelAllophone(const std::vector<Phoneme>& w, std::size_t i)
{
    const Fixed* f = i < w.size() ? lookUp(kVowels, w[i].name) : nullptr;
    return f ? f->allophones[0] : std::string_view();
}

// The consonants whose allophone depends on the position alone.
constexpr std::string_view kByPosition[] = {"k", "g", "d", "t", "b", "h", "n", "r", "j", "D", "l"};

// espeak-ng marks variants of a phoneme with a trailing digit or sign ("t2", "r-", "@-"): they
// are spelled as the phoneme itself.
std::string canonical(std::string name)
{
    while (name.size() > 1 && !fixed(name) && !in(kByPosition, name) &&
           (std::isdigit(static_cast<unsigned char>(name.back())) || name.back() == '-' ||
            name.back() == '/'))
        name.pop_back();
    return name;
}

} // namespace

std::vector<std::string> AllophoneRules::spellWord(const std::vector<Phoneme>& phonemes)
{
    std::vector<Phoneme> w = phonemes;
    for (Phoneme& p : w)
        p.name = canonical(p.name);
    std::vector<std::string> out;
    const std::size_t n = w.size();
    const auto name = [&](std::size_t i) -> std::string_view {
        return i < n ? std::string_view(w[i].name) : std::string_view();
    };
    // Only consonants stand before `i`: it is in the word's initial cluster.
    const auto initialCluster = [&](std::size_t i) {
        for (std::size_t k = 0; k < i; ++k) {
            if (isVowel(w[k].name))
                return false;
        }
        return true;
    };
    const auto nextIsBack = [&](std::size_t i) { return in(kBack, vowelAllophone(w, i + 1)); };
    // Only consonants follow `i`: it is in the word's final cluster (six, hands).
    const auto finalCluster = [&](std::size_t i) {
        for (std::size_t k = i + 1; k < n; ++k) {
            if (isVowel(w[k].name))
                return false;
        }
        return true;
    };
    const auto nextIsVowel = [&](std::size_t i) { return i + 1 < n && isVowel(w[i + 1].name); };

    for (std::size_t i = 0; i < n; ++i) {
        const std::string_view p = w[i].name;
        const bool first = i == 0;
        const bool last = i + 1 == n;
        std::vector<std::string_view> add;

        if (p == "k") {
            if (i > 0 && name(i - 1) == "s")
                add = {"kk2"}; // sky
            else if (last)
                add = {"kk2"}; // back
            else if (nextIsVowel(i))
                add = {nextIsBack(i) ? "kk3" : "kk1"}; // comb, can't
            else
                add = {"kk3"}; // before a consonant, at a word's end too: six as sixteen
        } else if (p == "g") {
            if (finalCluster(i))
                add = {"gg3"}; // wig, eggs
            else if (nextIsVowel(i) && !nextIsBack(i))
                add = {"gg2"}; // guest
            else
                add = {"gg1"}; // got, grease
        } else if (p == "d") {
            add = {first || (initialCluster(i) && !last) || nextIsVowel(i) ? "dd2" : "dd1"};
        } else if (p == "t") {
            add = {first || nextIsVowel(i) ? "tt2" : "tt1"}; // to, part
        } else if (p == "b") {
            add = {first && nextIsVowel(i) ? "bb2" : "bb1"}; // beast; rib, bleed
        } else if (p == "h") {
            add = {nextIsBack(i) ? "hh2" : "hh1"}; // hoe, he
        } else if (p == "n") {
            add = {first ? "nn2" : "nn1"}; // no, thin
        } else if (p == "r") {
            if (i > 0 && in(kHoldsR, name(i - 1)))
                add = {}; // store, fir: the vowel has it
            else
                add = {i > 0 && !isVowel(name(i - 1)) ? "rr2" : "rr1"}; // brain, hundred; rural
        } else if (p == "j") {
            add = {first ? "yy2" : "yy1"}; // yes, cute
        } else if (p == "D") {
            add = {first ? "dh1" : "dh2"}; // they, bathe
        } else if (p == "l") {
            add = {"ll"};
        } else if (p == "u:") {
            const bool afterY = i > 0 && name(i - 1) == "j";
            add = {afterY || w[i].stress == Stress::None ? "uw1" : "uw2"}; // computer, to; food
        } else if (p == "U@") {
            add = {"uh"};
            if (name(i + 1) != "r")
                add.push_back("er1"); // poor, tour
        } else if (const Fixed* f = fixed(p)) {
            add = {f->allophones[0]};
            if (!f->allophones[1].empty())
                add.push_back(f->allophones[1]);
        }
        // Anything else (a phoneme of another language) is left out.

        for (std::string_view a : add) {
            // A nasal is the closure of the stop after it (send, pink): no pause between them.
            if (isStop(a) && !out.empty() && !isStop(out.back()) &&
                !AllophoneTable::IsPause(out.back()) && !isNasal(out.back()))
                out.emplace_back(closureBefore(a));
            out.emplace_back(a);
        }
        if (add.size() == 1) {
            const std::string_view a = add[0];
            // A stressed short vowel, or a word's last schwa (cheetah), is held twice as long.
            const bool stressed = w[i].stress == Stress::Primary;
            if (in(kDoublable, a) && (stressed || (last && a == "ax" && n > 2)))
                out.emplace_back(a);
        }
    }
    return out;
}

} // namespace tessary
