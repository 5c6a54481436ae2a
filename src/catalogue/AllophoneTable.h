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
    // The closure before an unvoiced stop, within a word and before a word that starts with one.
    static constexpr std::string_view kStopClosure = "pa3";
    using Entries = std::array<AllophoneEntry, kSize>;

    // Exact, case-sensitive, whole-string match; nullptr when the text names no allophone.
    static const AllophoneEntry* FindByMnemonic(std::string_view text);
    // nullptr outside 0..63.
    static const AllophoneEntry* EntryByCode(int code);
    // Whether the allophone is of any of the classes (AllophoneClass, or'ed); false for anything
    // that names no allophone.
    static bool is(std::string_view mnemonic, unsigned classes);
    static bool is(int code, unsigned classes);
    static bool isPause(std::string_view mnemonic) { return is(mnemonic, kPause); }
    // The pause before `next`, between two words or before a stop inside one: the closure of
    // an unvoiced stop, else the word gap (PA1, also a voiced stop's closure).
    static std::string_view pauseBefore(std::string_view next);
    // k is the number of Label1..Label64; nullptr outside 1..64.
    static const AllophoneEntry* EntryByAuditionLabel(int k);
    // Mnemonics that all name allophones (a spelling) to their codes, and codes 0..63 back.
    static std::vector<int> codesOf(const std::vector<std::string>& mnemonics);
    static std::vector<std::string> mnemonicsOf(const std::vector<int>& codes);
    // "$" and two upper-case hex digits; empty outside 0..63.
    static std::string CodeText(int code);
    // All 64 entries in code order.
    static const Entries& all();
};

} // namespace tessary
