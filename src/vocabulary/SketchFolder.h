#pragma once

#include "Vocabulary.h"

#include <string>
#include <utility>
#include <vector>

namespace tessary {

// A folder the Arduino IDE opens as a sketch: DIR/DIR.ino, which speaks every entry of the
// vocabulary once, the vocabulary's header (Arduino form), and the SP0256 driver beside them.
//
// The folder is the user's once written: they edit the sketch and add files of their own. A
// list of what was written, and a checksum of each (FOLDER/.tessary-sketch), tells a file
// still as it was written from one the user changed. A file that would be replaced and was
// not written so, or a folder that tessary did not make and that holds anything, is refused
// unless forced; files it does not write are never touched. Every file is written in full
// beside its target before any is renamed over one: a failure leaves the folder as it was.
class SketchFolder
{
public:
    static constexpr const char* kManifest = ".tessary-sketch";

    // The board the Makefile builds for: arduino-mk's BOARD_TAG (empty: the Uno), and BOARD_SUB
    // where the board has a choice of MCU.
    struct Target
    {
        std::string boardTag;
        std::string boardSub;
    };

    // The files and their contents, named relative to the folder.
    using Files = std::vector<std::pair<std::string, std::string>>;
    static Files files(const std::string& folder, const std::string& prefix,
                       const std::string& header, const Target& target = {});

    struct Outcome
    {
        std::string problem;             // empty: written
        std::vector<std::string> theirs; // not empty: in the way, and nothing was written
    };
    // Writes the folder, creating it where it is missing; `force` replaces files the user
    // changed or wrote.
    static Outcome write(const std::string& folder, const std::string& prefix,
                         const std::string& header, const Vocabulary& vocabulary,
                         bool force = false, const Target& target = {});
};

} // namespace tessary
