#include "Alternatives.h"

#include "catalogue/AllophoneTable.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace tessary {

namespace {

// Allophones the chip has in more than one shape, for other places in a word or other
// neighbours; a word that sounds wrong often sounds right with the other one.
const std::vector<std::vector<std::string>>& variantGroups()
{
    static const std::vector<std::vector<std::string>> groups = {
        {"kk1", "kk2", "kk3"}, {"gg1", "gg2", "gg3"}, {"dd1", "dd2"}, {"tt1", "tt2"},
        {"bb1", "bb2"},        {"hh1", "hh2"},        {"nn1", "nn2"}, {"rr1", "rr2"},
        {"yy1", "yy2"},        {"dh1", "dh2"},        {"uw1", "uw2"}, {"er1", "er2"},
        {"ll", "el"},          {"ih", "iy"},          {"ow", "ao"},
    };
    return groups;
}

// Words spelled alike and said two ways: each reading, as the chip spells it.
struct Homograph
{
    std::string_view word;
    std::string_view readings[2];
};
constexpr Homograph kHomographs[] = {
    {"live", {"ll ih ih vv", "ll ay vv"}},
    {"wind", {"ww ih ih nn1 dd1", "ww ay nn1 dd1"}},
    {"tear", {"tt2 xr", "tt2 yr"}},
    {"read", {"rr1 iy dd1", "rr1 eh eh dd1"}},
    {"lead", {"ll iy dd1", "ll eh eh dd1"}},
    {"close", {"kk3 ll ow zz", "kk3 ll ow ss"}},
    {"use", {"yy1 uw2 zz", "yy1 uw2 ss"}},
    {"wound", {"ww uw2 nn1 dd1", "ww aw nn1 dd1"}},
    {"bow", {"bb2 aw", "bb2 ow"}},
    {"row", {"rr1 ow", "rr1 aw"}},
    {"minute", {"mm ih nn1 ih tt1", "mm ay nn2 uw1 tt1"}},
    {"record", {"rr1 eh eh kk1 er1 dd1", "rr1 ih kk3 or dd1"}},
    {"present", {"pp rr2 eh eh zz ax nn1 tt1", "pp rr2 iy zz eh eh nn1 tt1"}},
    {"object", {"aa aa bb1 jh eh kk1 tt1", "ax bb1 jh eh eh kk1 tt1"}},
    {"desert", {"dd2 eh eh zz er1 tt1", "dd2 ih zz er1 tt1"}},
    {"produce", {"pp rr2 ow dd2 uw1 ss", "pp rr2 ax dd2 uw1 ss"}},
};

std::vector<std::string> words(std::string_view text)
{
    std::istringstream in{std::string(text)};
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

} // namespace

std::vector<std::vector<std::string>> Alternatives::of(std::string_view word,
                                                       const std::vector<std::string>& spelling)
{
    std::vector<std::vector<std::string>> out;
    const auto add = [&out](std::vector<std::string> s) {
        if (out.size() < kMost && std::find(out.begin(), out.end(), s) == out.end())
            out.push_back(std::move(s));
    };
    add(spelling);

    // The trailing pauses stay as the rules put them.
    std::size_t sounds = spelling.size();
    while (sounds > 0 && AllophoneTable::isPause(spelling[sounds - 1]))
        --sounds;
    const std::vector<std::string> tail(spelling.begin() + long(sounds), spelling.end());

    std::string lower(word);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const Homograph& h : kHomographs) {
        if (h.word != lower)
            continue;
        for (std::string_view reading : h.readings) {
            std::vector<std::string> s = words(reading);
            s.insert(s.end(), tail.begin(), tail.end());
            add(std::move(s));
        }
    }

    // A flapped t ("water", "heating") is spelled as a D: the real T, with its closure, first.
    for (std::size_t i = 0; i < sounds; ++i) {
        if (spelling[i] != "dd1" && spelling[i] != "dd2")
            continue;
        for (const char* t : {"tt2", "tt1"}) {
            std::vector<std::string> s = spelling;
            s[i] = t;
            if (i > 0 && AllophoneTable::isPause(s[i - 1]))
                s[i - 1] = AllophoneTable::pauseBefore(t);
            else if (i > 0 && !AllophoneTable::is(s[i - 1], kNasal))
                s.insert(s.begin() + long(i), std::string(AllophoneTable::pauseBefore(t)));
            add(std::move(s));
        }
    }

    for (std::size_t i = 0; i < sounds; ++i) {
        for (const auto& group : variantGroups()) {
            if (std::find(group.begin(), group.end(), spelling[i]) == group.end())
                continue;
            for (const std::string& other : group) {
                std::vector<std::string> s = spelling;
                s[i] = other;
                add(std::move(s));
            }
        }
        // A short vowel said once or twice as long: the other way round.
        if (!AllophoneTable::is(spelling[i], kShort))
            continue;
        std::vector<std::string> s = spelling;
        if (i + 1 < sounds && spelling[i + 1] == spelling[i])
            s.erase(s.begin() + long(i)); // doubled: single
        else if (i == 0 || spelling[i - 1] != spelling[i])
            s.insert(s.begin() + long(i), spelling[i]); // single: doubled
        add(std::move(s));
    }
    return out;
}

} // namespace tessary
