#pragma once

#include "Vocabulary.h"

#include <string>

namespace tessary {

// A folder the Arduino IDE opens as a sketch: DIR/DIR.ino, which speaks every entry of the
// vocabulary once, the vocabulary's header (Arduino form), and the SP0256 driver beside them.
class SketchFolder
{
public:
    // Writes the folder, creating it where it is missing; each file whole or not at all.
    // `header` is the Arduino form of the header, named `prefix`.h. The problem, or empty.
    static std::string write(const std::string& folder, const std::string& prefix,
                             const std::string& header, const Vocabulary& vocabulary);
};

} // namespace tessary
