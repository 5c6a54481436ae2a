#pragma once

#include <string>

namespace tessary {

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
};

} // namespace tessary
