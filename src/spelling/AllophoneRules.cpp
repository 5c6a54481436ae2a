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

// A word's phonemes with what the rules ask of a position in it.
struct Word
{
    std::vector<Phoneme> phonemes;

    std::size_t size() const { return phonemes.size(); }
    std::string_view name(std::size_t i) const
    {
        return i < phonemes.size() ? std::string_view(phonemes[i].name) : std::string_view();
    }
    // Only consonants stand before `i`: it is in the word's initial cluster.
    bool initialCluster(std::size_t i) const
    {
        return std::none_of(phonemes.begin(), phonemes.begin() + static_cast<std::ptrdiff_t>(i),
                            [](const Phoneme& p) { return isVowel(p.name); });
    }
    // Only consonants follow `i`: it is in the word's final cluster (six, hands).
    bool finalCluster(std::size_t i) const
    {
        return std::none_of(phonemes.begin() + static_cast<std::ptrdiff_t>(i) + 1, phonemes.end(),
                            [](const Phoneme& p) { return isVowel(p.name); });
    }
    bool nextIsVowel(std::size_t i) const
    {
        return i + 1 < phonemes.size() && isVowel(phonemes[i + 1].name);
    }
    bool nextIsBack(std::size_t i) const
    {
        return AllophoneTable::is(vowelAllophone(phonemes, i + 1), kBack);
    }
};

// The variant of a stop the chip has for its place in the word.
std::string_view stopVariant(const Word& w, std::size_t i)
{
    const std::string_view p = w.name(i);
    const bool first = i == 0;
    if (p == "k") {
        if ((i > 0 && w.name(i - 1) == "s") || i + 1 == w.size())
            return "kk2"; // sky, back
        if (w.nextIsVowel(i))
            return w.nextIsBack(i) ? "kk3" : "kk1"; // comb, can't
        return "kk3"; // before a consonant, at a word's end too: six as sixteen
    }
    if (p == "g") {
        if (w.finalCluster(i))
            return "gg3";                                            // wig, eggs
        return w.nextIsVowel(i) && !w.nextIsBack(i) ? "gg2" : "gg1"; // guest; got, grease
    }
    if (p == "d")
        return first || (w.initialCluster(i) && i + 1 != w.size()) || w.nextIsVowel(i) ? "dd2"
                                                                                       : "dd1";
    if (p == "t")
        return first || w.nextIsVowel(i) ? "tt2" : "tt1"; // to, part
    return first && w.nextIsVowel(i) ? "bb2" : "bb1";     // beast; rib, bleed
}

// The allophones for the phoneme at `i`; none for a phoneme of another language.
std::vector<std::string_view> allophonesAt(const Word& w, std::size_t i)
{
    const std::string_view p = w.name(i);
    const bool first = i == 0;
    if (p == "k" || p == "g" || p == "d" || p == "t" || p == "b")
        return {stopVariant(w, i)};
    if (p == "h")
        return {w.nextIsBack(i) ? "hh2" : "hh1"}; // hoe, he
    if (p == "n")
        return {first ? "nn2" : "nn1"}; // no, thin
    if (p == "r") {
        if (i > 0 && in(kHoldsR, w.name(i - 1)))
            return {};                                             // store, fir: the vowel has it
        return {i > 0 && !isVowel(w.name(i - 1)) ? "rr2" : "rr1"}; // brain, hundred; rural
    }
    if (p == "j")
        return {first ? "yy2" : "yy1"}; // yes, cute
    if (p == "D")
        return {first ? "dh1" : "dh2"}; // they, bathe
    if (p == "l")
        return {"ll"};
    if (p == "u:") {
        const bool afterY = i > 0 && w.name(i - 1) == "j";
        return {afterY || w.phonemes[i].stress == Stress::None ? "uw1"
                                                               : "uw2"}; // computer, to; food
    }
    if (p == "U@")
        return w.name(i + 1) != "r" ? std::vector<std::string_view>{"uh", "er1"} // poor, tour
                                    : std::vector<std::string_view>{"uh"};
    if (const Fixed* f = fixed(p)) {
        if (f->allophones[1].empty())
            return {f->allophones[0]};
        return {f->allophones[0], f->allophones[1]};
    }
    return {};
}

} // namespace

std::vector<std::string> AllophoneRules::spellWord(const std::vector<Phoneme>& phonemes)
{
    Word w{phonemes};
    for (Phoneme& p : w.phonemes)
        p.name = canonical(p.name);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < w.size(); ++i) {
        const std::vector<std::string_view> add = allophonesAt(w, i);
        for (std::string_view a : add) {
            // A stop's closure, short for a voiced one, longer for an unvoiced one; a nasal is
            // the closure of the stop after it (send, pink): no pause between them.
            if (AllophoneTable::is(a, kStop) && !out.empty() &&
                !AllophoneTable::is(out.back(), kStop | kPause | kNasal))
                out.emplace_back(AllophoneTable::pauseBefore(a));
            out.emplace_back(a);
        }
        // A stressed short vowel, or a word's last schwa (cheetah), is held twice as long.
        const bool stressed = w.phonemes[i].stress == Stress::Primary;
        const bool lastSchwa =
            i + 1 == w.size() && w.size() > 2 && add.size() == 1 && add[0] == "ax";
        if (add.size() == 1 && AllophoneTable::is(add[0], kDoublable) && (stressed || lastSchwa))
            out.emplace_back(add[0]);
    }
    return out;
}

} // namespace tessary
