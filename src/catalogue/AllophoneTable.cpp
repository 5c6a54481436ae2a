#include "AllophoneTable.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace tessary {

namespace {

struct Row
{
    const char* mnemonic;
    const char* word;
    int auditionLabel;
};

// Code order is the row order. The audition labels run PA1..PA5, then alphabetical by mnemonic,
// except that TH follows TT1 and TT2.
constexpr Row kRows[AllophoneTable::kSize] = {
    {"pa1", "PAUSE", 1},     {"pa2", "PAUSE", 2},  {"pa3", "PAUSE", 3},  {"pa4", "PAUSE", 4},
    {"pa5", "PAUSE", 5},     {"oy", "Boy", 44},    {"ay", "Sky", 12},    {"eh", "End", 20},
    {"kk3", "Comb", 36},     {"pp", "Pow", 45},    {"jh", "Dodge", 33},  {"nn1", "Thin", 40},
    {"ih", "Sit", 31},       {"tt2", "To", 51},    {"rr1", "Rural", 46}, {"ax", "Succeed", 11},
    {"mm", "Milk", 38},      {"tt1", "Part", 50},  {"dh1", "They", 18},  {"iy", "See", 32},
    {"ey", "Beige", 24},     {"dd1", "Could", 16}, {"uw1", "To", 54},    {"ao", "Aught", 8},
    {"aa", "Hot", 6},        {"yy2", "Yes", 62},   {"ae", "Hat", 7},     {"hh1", "He", 29},
    {"bb1", "Business", 13}, {"th", "Thin", 52},   {"uh", "Book", 53},   {"uw2", "Food", 55},
    {"aw", "Out", 10},       {"dd2", "Do", 17},    {"gg3", "Wig", 28},   {"vv", "Vest", 56},
    {"gg1", "Got", 26},      {"sh", "Ship", 48},   {"zh", "Azure", 63},  {"rr2", "Brain", 47},
    {"ff", "Food", 25},      {"kk2", "Sky", 35},   {"kk1", "Can't", 34}, {"zz", "Zoo", 64},
    {"ng", "Anchor", 39},    {"ll", "Lake", 37},   {"ww", "Wool", 58},   {"xr", "Repair", 59},
    {"wh", "Whig", 57},      {"yy1", "Yes", 61},   {"ch", "Church", 15}, {"er1", "Fir", 22},
    {"er2", "Fir", 23},      {"ow", "Beau", 43},   {"dh2", "They", 19},  {"ss", "Vest", 49},
    {"nn2", "No", 41},       {"hh2", "Hoe", 30},   {"or", "Store", 42},  {"ar", "Alarm", 9},
    {"yr", "Clear", 60},     {"gg2", "Guest", 27}, {"el", "Saddle", 21}, {"bb2", "Business", 14},
};

struct Built
{
    AllophoneTable::Entries byCode;
    std::array<const AllophoneEntry*, AllophoneTable::kSize> byLabel{};
};

const Built& built()
{
    static const Built table = [] {
        Built b;
        for (int code = 0; code < AllophoneTable::kSize; ++code) {
            const Row& row = kRows[code];
            AllophoneEntry& e = b.byCode[static_cast<std::size_t>(code)];
            e.code = code;
            e.codeText = AllophoneTable::CodeText(code);
            e.mnemonic = row.mnemonic;
            std::string upper = e.mnemonic;
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            e.caption = upper + " - " + row.word;
            e.auditionLabel = row.auditionLabel;
            e.sampleFile = e.mnemonic + ".wav";
            b.byLabel[static_cast<std::size_t>(row.auditionLabel - 1)] = &e;
        }
        return b;
    }();
    return table;
}

} // namespace

const AllophoneEntry* AllophoneTable::FindByMnemonic(std::string_view text)
{
    for (const AllophoneEntry& e : built().byCode) {
        if (e.mnemonic == text)
            return &e;
    }
    return nullptr;
}

bool AllophoneTable::IsNasal(std::string_view mnemonic)
{
    return mnemonic == "mm" || mnemonic == "nn1" || mnemonic == "nn2" || mnemonic == "ng";
}

std::vector<int> AllophoneTable::CodesOf(const std::vector<std::string>& mnemonics)
{
    std::vector<int> codes;
    codes.reserve(mnemonics.size());
    for (const std::string& m : mnemonics)
        codes.push_back(FindByMnemonic(m)->code);
    return codes;
}

std::vector<std::string> AllophoneTable::MnemonicsOf(const std::vector<int>& codes)
{
    std::vector<std::string> mnemonics;
    mnemonics.reserve(codes.size());
    for (int c : codes)
        mnemonics.push_back(EntryByCode(c)->mnemonic);
    return mnemonics;
}

bool AllophoneTable::IsUnvoicedStop(std::string_view mnemonic)
{
    static constexpr std::string_view kUnvoiced[] = {"pp", "tt1", "tt2", "kk1", "kk2", "kk3", "ch"};
    return std::find(std::begin(kUnvoiced), std::end(kUnvoiced), mnemonic) != std::end(kUnvoiced);
}

std::string_view AllophoneTable::GapBefore(std::string_view next)
{
    return IsUnvoicedStop(next) ? "pa3" : kWordGap;
}

bool AllophoneTable::IsPause(std::string_view mnemonic)
{
    const AllophoneEntry* e = FindByMnemonic(mnemonic);
    return e && e->code <= 4; // the pauses are the first five codes
}

const AllophoneEntry* AllophoneTable::EntryByCode(int code)
{
    if (code < 0 || code >= kSize)
        return nullptr;
    return &built().byCode[static_cast<std::size_t>(code)];
}

const AllophoneEntry* AllophoneTable::EntryByAuditionLabel(int k)
{
    if (k < 1 || k > kSize)
        return nullptr;
    return built().byLabel[static_cast<std::size_t>(k - 1)];
}

std::string AllophoneTable::CodeText(int code)
{
    if (code < 0 || code >= kSize)
        return {};
    static constexpr char kHex[] = "0123456789ABCDEF";
    return {'$', kHex[code >> 4], kHex[code & 0xF]};
}

const AllophoneTable::Entries& AllophoneTable::All()
{
    return built().byCode;
}

} // namespace tessary
