#include "ChipTiming.h"

#include "catalogue/AllophoneTable.h"
#include "catalogue/ChipDurations.h"

#include <algorithm>
#include <limits>
#include <map>
#include <stdexcept>

namespace tessary::samplegen {

namespace {

// The CMU phones each allophone (its mnemonic without the digit) may stand for.
const std::map<std::string, std::vector<std::string>>& sounds()
{
    static const std::map<std::string, std::vector<std::string>> table = {
        {"aa", {"aa"}},
        {"ae", {"ae"}},
        {"ao", {"ao"}},
        {"aw", {"aw"}},
        {"ax", {"ax", "ah"}},
        {"ay", {"ay"}},
        {"bb", {"b"}},
        {"ch", {"ch"}},
        {"dd", {"d"}},
        {"dh", {"dh"}},
        {"eh", {"eh"}},
        {"el", {"ax", "ah", "l"}},
        {"er", {"er"}},
        {"ey", {"ey"}},
        {"ff", {"f"}},
        {"gg", {"g"}},
        {"hh", {"hh"}},
        {"ih", {"ih"}},
        {"iy", {"iy"}},
        {"jh", {"jh"}},
        {"kk", {"k"}},
        {"ll", {"l"}},
        {"mm", {"m"}},
        {"ng", {"ng"}},
        {"nn", {"n"}},
        {"ow", {"ow"}},
        {"oy", {"oy"}},
        {"pp", {"p"}},
        {"rr", {"r"}},
        {"sh", {"sh"}},
        {"ss", {"s"}},
        {"th", {"th"}},
        {"tt", {"t"}},
        {"uh", {"uh"}},
        {"uw", {"uw"}},
        {"vv", {"v"}},
        {"wh", {"w", "hh"}},
        {"ww", {"w"}},
        {"xr", {"eh", "r", "ey", "ae"}},
        {"yr", {"ih", "iy", "r"}},
        {"or", {"ao", "r", "ow"}},
        {"ar", {"aa", "r"}},
        {"yy", {"y"}},
        {"zh", {"zh"}},
        {"zz", {"z"}},
    };
    return table;
}

bool vowel(const std::string& phone)
{
    static const std::vector<std::string> vowels = {"aa", "ae", "ah", "ao", "aw", "ax", "ay", "eh",
                                                    "er", "ey", "ih", "iy", "ow", "oy", "uh", "uw"};
    return std::find(vowels.begin(), vowels.end(), phone) != vowels.end();
}

// What it costs to say that the allophone stands for the phone.
double cost(const std::string& mnemonic, const std::string& phone)
{
    std::string base = mnemonic;
    while (!base.empty() && base.back() >= '0' && base.back() <= '9')
        base.pop_back();
    const auto s = sounds().find(base);
    if (s != sounds().end() &&
        std::find(s->second.begin(), s->second.end(), phone) != s->second.end())
        return 0;
    const bool allophoneVowel = AllophoneTable::is(mnemonic, kVowel);
    return allophoneVowel && vowel(phone) ? 0.6 : 1;
}

} // namespace

std::vector<TimeStretch::Anchor>
ChipTiming::anchors(const Rendering& r, const std::vector<std::string>& spelling, int rate)
{
    struct Phone
    {
        std::string name;
        double begin = 0, end = 0; // frames
    };
    std::vector<Phone> phones;
    for (std::size_t k = 0; k < r.phonemes.size(); ++k) {
        const double begin = r.phonemes[k].startMs * rate / 1000.0;
        const double end = k + 1 < r.phonemes.size() ? r.phonemes[k + 1].startMs * rate / 1000.0
                                                     : double(r.pcm.size());
        phones.push_back({r.phonemes[k].name, begin, std::max(begin, end)});
    }
    // The spelling's sounds, each with the pauses before it.
    std::vector<std::pair<std::string, double>> said; // mnemonic, chip frames
    double pending = 0;
    for (const std::string& m : spelling) {
        const AllophoneEntry* e = AllophoneTable::FindByMnemonic(m);
        if (!e)
            throw std::runtime_error("no allophone '" + m + "'");
        const double frames = ChipDurations::chipMs(e->code) * rate / 1000.0;
        if (AllophoneTable::isPause(m)) {
            pending += frames;
        } else {
            said.emplace_back(m, frames + pending);
            pending = 0;
        }
    }
    std::vector<std::size_t> spoken; // the phones that are not pauses
    for (std::size_t k = 0; k < phones.size(); ++k)
        if (phones[k].name != "pau")
            spoken.push_back(k);
    const std::size_t n = said.size(), m = spoken.size();
    if (n == 0 || m == 0)
        throw std::runtime_error("nothing to align");

    // A monotone path through (allophone, phone) pairs from the first of both to the last of
    // both, each pair on it linked: the cheapest.
    constexpr double kNone = std::numeric_limits<double>::infinity();
    std::vector<std::vector<double>> best(n, std::vector<double>(m, kNone));
    std::vector<std::vector<int>> from(n, std::vector<int>(m, 0)); // 0 diagonal, 1 up, 2 left
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < m; ++j) {
            const double c = cost(said[i].first, phones[spoken[j]].name);
            if (i == 0 && j == 0) {
                best[i][j] = c;
                continue;
            }
            double b = kNone;
            int how = 0;
            if (i > 0 && j > 0 && best[i - 1][j - 1] < b)
                b = best[i - 1][j - 1], how = 0;
            // Two allophones for one phone (a doubled vowel) or two phones for one allophone
            // (OR): free where the sound is the same.
            if (i > 0 && best[i - 1][j] + 0.5 * (c > 0) < b)
                b = best[i - 1][j] + 0.5 * (c > 0), how = 1;
            if (j > 0 && best[i][j - 1] + 0.5 * (c > 0) < b)
                b = best[i][j - 1] + 0.5 * (c > 0), how = 2;
            best[i][j] = b + c;
            from[i][j] = how;
        }
    }
    std::vector<std::pair<std::size_t, std::size_t>> links;
    for (std::size_t i = n - 1, j = m - 1;;) {
        links.emplace_back(i, j);
        if (i == 0 && j == 0)
            break;
        const int how = from[i][j];
        if (how == 0 || how == 1)
            --i;
        if (how == 0 || how == 2)
            --j;
    }
    // Each allophone's time shared among its phones in proportion to their own lengths.
    std::vector<double> target(phones.size(), 0);
    for (std::size_t k = 0; k < phones.size(); ++k)
        if (phones[k].name == "pau")
            target[k] = phones[k].end - phones[k].begin;
    for (std::size_t i = 0; i < n; ++i) {
        double whole = 0;
        std::vector<std::size_t> mine;
        for (const auto& [li, lj] : links)
            if (li == i) {
                mine.push_back(spoken[lj]);
                whole += phones[spoken[lj]].end - phones[spoken[lj]].begin;
            }
        for (std::size_t k : mine) {
            const double share =
                whole > 0 ? (phones[k].end - phones[k].begin) / whole : 1.0 / double(mine.size());
            target[k] += said[i].second * share;
        }
    }
    std::vector<TimeStretch::Anchor> anchors{{0, 0}};
    double out = 0;
    for (std::size_t k = 0; k < phones.size(); ++k) {
        out += target[k];
        anchors.push_back({phones[k].end, out});
    }
    return anchors;
}

} // namespace tessary::samplegen
