#pragma once

#include "AllophoneEntry.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// The fixed catalogue of the 64 allophones, in code order. Read-only and built once.
class AllophoneTable
{
public:
    static constexpr int kSize = 64;
    // The pause between the words of running speech: PA1, the chip's shortest. The longer PA3
    // made a listener (and a recogniser) hear short words of its own in the gaps.
    static constexpr std::string_view kWordGap = "pa1";
    using Entries = std::array<AllophoneEntry, kSize>;

    // Exact, case-sensitive, whole-string match; nullptr when the text names no allophone.
    static const AllophoneEntry* FindByMnemonic(std::string_view text);
    // nullptr outside 0..63.
    static const AllophoneEntry* EntryByCode(int code);
    // PA1..PA5, the silences; false for anything that names no allophone.
    static bool IsPause(std::string_view mnemonic);
    // MM, NN1, NN2 and NG: a nasal closes the mouth as a stop's closure does.
    static bool IsNasal(std::string_view mnemonic);
    // PP, TT1, TT2, KK1-KK3 and CH: the stops whose closure is PA3.
    static bool IsUnvoicedStop(std::string_view mnemonic);
    // The pause between a word and the next, whose first allophone is `next`: the closure of
    // an unvoiced stop, else the word gap.
    static std::string_view GapBefore(std::string_view next);
    // k is the number of Label1..Label64; nullptr outside 1..64.
    static const AllophoneEntry* EntryByAuditionLabel(int k);
    // Mnemonics that all name allophones (a spelling) to their codes, and codes 0..63 back.
    static std::vector<int> CodesOf(const std::vector<std::string>& mnemonics);
    static std::vector<std::string> MnemonicsOf(const std::vector<int>& codes);
    // "$" and two upper-case hex digits; empty outside 0..63.
    static std::string CodeText(int code);
    // All 64 entries in code order.
    static const Entries& All();
};

} // namespace tessary
