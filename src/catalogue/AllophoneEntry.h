#pragma once

#include <string>

namespace tessary {

// What kind of sound an allophone is, for the rules that spell with it; an entry's classes are
// these or'ed.
enum AllophoneClass : unsigned {
    kPause = 1u << 0,        // PA1-PA5
    kVowel = 1u << 1,        // a syllable's nucleus: the vowels, the r-coloured ones, EL
    kBack = 1u << 2,         // a back vowel: HH2, KK3 and GG1 are made for what follows
    kShort = 1u << 3,        // a short vowel, said once or twice as long (an alternative)
    kDoublable = 1u << 4,    // the short vowels the era's manuals double when stressed
    kVoicedStop = 1u << 5,   // BB, DD, GG, JH: closed by PA1
    kUnvoicedStop = 1u << 6, // PP, TT, KK, CH: closed by PA3
    kNasal = 1u << 7,        // MM, NN, NG: the mouth closed as a stop's closure closes it
    kStop = kVoicedStop | kUnvoicedStop,
};

// One allophone of the SP0256-AL2 set. Every field but the example word is derived from code and
// mnemonic when the table is built, so the invariants between them hold by construction.
struct AllophoneEntry
{
    int code = 0;           // 0..63, the chip's number for the allophone
    std::string codeText;   // "$00".."$3F"
    std::string mnemonic;   // what the user types, e.g. "hh1"
    std::string caption;    // "HH1 - He"
    int auditionLabel = 0;  // 1..64: the Label<k> that shows and plays it
    std::string sampleFile; // "hh1.wav"
    unsigned classes = 0;   // AllophoneClass, or'ed
};

} // namespace tessary
