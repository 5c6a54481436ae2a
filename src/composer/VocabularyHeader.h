#pragma once

#include "Vocabulary.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// A whole vocabulary as one file that firmware includes as it is: an include guard,
// <stdint.h>, one `const uint8_t` array per entry with its length, an enum of the entries and a
// table of them all for lookup by number. The Arduino form keeps the arrays and the table in
// flash (PROGMEM); the JSON form lists each entry's name, text, mnemonics and codes.
class VocabularyHeader
{
public:
    enum class Form { C, Arduino, Json };

    // "c", "arduino" or "json"; false for any other name.
    static bool parseForm(std::string_view name, Form& form);

    // `stem` names the guard, the enum and the table ("words" -> WORDS_H, WORDS_HELLO,
    // words_table); `origin` says where the entries came from, for the file's first comment.
    // A name that the file would define twice goes to `clashes`, with the entry's line, and
    // nothing is written.
    static std::string write(const Vocabulary& vocabulary, Form form, std::string_view stem,
                             std::string_view origin, std::vector<Vocabulary::Problem>& clashes);
};

} // namespace tessary
