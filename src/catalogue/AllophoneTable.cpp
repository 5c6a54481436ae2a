#include "AllophoneTable.h"

#include <cctype>

namespace tessary {

namespace {

struct Row
{
    const char* mnemonic;
    const char* word;
    int auditionLabel;
    unsigned classes;
};

// Code order is the row order. The audition labels run PA1..PA5, then alphabetical by mnemonic,
// except that TH follows TT1 and TT2. The classes are what the spelling rules, the vocabulary,
// the firmware's tables and the tools ask of an allophone; each is said here only.
constexpr Row kRows[AllophoneTable::kSize] = {
    {"pa1", "PAUSE", 1, kPause},
    {"pa2", "PAUSE", 2, kPause},
    {"pa3", "PAUSE", 3, kPause},
    {"pa4", "PAUSE", 4, kPause},
    {"pa5", "PAUSE", 5, kPause},
    {"oy", "Boy", 44, kVowel | kBack},
    {"ay", "Sky", 12, kVowel},
    {"eh", "End", 20, kVowel | kShort | kDoublable},
    {"kk3", "Comb", 36, kUnvoicedStop},
    {"pp", "Pow", 45, kUnvoicedStop},
    {"jh", "Dodge", 33, kVoicedStop},
    {"nn1", "Thin", 40, kNasal},
    {"ih", "Sit", 31, kVowel | kShort | kDoublable},
    {"tt2", "To", 51, kUnvoicedStop},
    {"rr1", "Rural", 46, 0},
    {"ax", "Succeed", 11, kVowel | kShort | kDoublable},
    {"mm", "Milk", 38, kNasal},
    {"tt1", "Part", 50, kUnvoicedStop},
    {"dh1", "They", 18, 0},
    {"iy", "See", 32, kVowel},
    {"ey", "Beige", 24, kVowel},
    {"dd1", "Could", 16, kVoicedStop},
    {"uw1", "To", 54, kVowel | kBack},
    {"ao", "Aught", 8, kVowel | kBack | kShort | kDoublable},
    {"aa", "Hot", 6, kVowel | kBack | kShort},
    {"yy2", "Yes", 62, 0},
    {"ae", "Hat", 7, kVowel | kShort | kDoublable},
    {"hh1", "He", 29, 0},
    {"bb1", "Business", 13, kVoicedStop},
    {"th", "Thin", 52, 0},
    {"uh", "Book", 53, kVowel | kBack | kShort},
    {"uw2", "Food", 55, kVowel | kBack},
    {"aw", "Out", 10, kVowel | kBack},
    {"dd2", "Do", 17, kVoicedStop},
    {"gg3", "Wig", 28, kVoicedStop},
    {"vv", "Vest", 56, 0},
    {"gg1", "Got", 26, kVoicedStop},
    {"sh", "Ship", 48, 0},
    {"zh", "Azure", 63, 0},
    {"rr2", "Brain", 47, 0},
    {"ff", "Food", 25, 0},
    {"kk2", "Sky", 35, kUnvoicedStop},
    {"kk1", "Can't", 34, kUnvoicedStop},
    {"zz", "Zoo", 64, 0},
    {"ng", "Anchor", 39, kNasal},
    {"ll", "Lake", 37, 0},
    {"ww", "Wool", 58, 0},
    {"xr", "Repair", 59, kVowel},
    {"wh", "Whig", 57, 0},
    {"yy1", "Yes", 61, 0},
    {"ch", "Church", 15, kUnvoicedStop},
    {"er1", "Fir", 22, kVowel},
    {"er2", "Fir", 23, kVowel},
    {"ow", "Beau", 43, kVowel | kBack},
    {"dh2", "They", 19, 0},
    {"ss", "Vest", 49, 0},
    {"nn2", "No", 41, kNasal},
    {"hh2", "Hoe", 30, 0},
    {"or", "Store", 42, kVowel | kBack},
    {"ar", "Alarm", 9, kVowel | kBack},
    {"yr", "Clear", 60, kVowel},
    {"gg2", "Guest", 27, kVoicedStop},
    {"el", "Saddle", 21, kVowel},
    {"bb2", "Business", 14, kVoicedStop},
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
            e.classes = row.classes;
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

std::vector<int> AllophoneTable::codesOf(const std::vector<std::string>& mnemonics)
{
    std::vector<int> codes;
    codes.reserve(mnemonics.size());
    for (const std::string& m : mnemonics)
        codes.push_back(FindByMnemonic(m)->code);
    return codes;
}

std::vector<std::string> AllophoneTable::mnemonicsOf(const std::vector<int>& codes)
{
    std::vector<std::string> mnemonics;
    mnemonics.reserve(codes.size());
    for (int c : codes)
        mnemonics.push_back(EntryByCode(c)->mnemonic);
    return mnemonics;
}

bool AllophoneTable::is(std::string_view mnemonic, unsigned classes)
{
    const AllophoneEntry* e = FindByMnemonic(mnemonic);
    return e && (e->classes & classes) != 0;
}

bool AllophoneTable::is(int code, unsigned classes)
{
    const AllophoneEntry* e = EntryByCode(code);
    return e && (e->classes & classes) != 0;
}

std::string_view AllophoneTable::pauseBefore(std::string_view next)
{
    return is(next, kUnvoicedStop) ? kStopClosure : kWordGap;
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

const AllophoneTable::Entries& AllophoneTable::all()
{
    return built().byCode;
}

} // namespace tessary
