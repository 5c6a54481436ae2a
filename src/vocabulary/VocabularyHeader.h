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
//
// Every name carries the prefix, and an entry's names carry "_word_" after it (clock_word_hello,
// clock_word_hello_length, CLOCK_WORD_HELLO), the header's own never (CLOCK_H, clock_entry,
// clock_table, clock_index, CLOCK_COUNT): an entry may be called count, delay, setup, loop,
// uint8_t or PORTB and still meet no name of the header's, of Arduino's or of avr-libc's.
class VocabularyHeader
{
public:
    enum class Form { C, Arduino, Json };

    // "c", "arduino" or "json"; false for any other name.
    static bool parseForm(std::string_view name, Form& form);

    // The names a header makes of its prefix.
    struct Names
    {
        explicit Names(std::string_view prefix);
        std::string prefix, guard, table, entryType, index, count;
        std::string array(const Vocabulary::Entry& e) const;    // clock_word_hello
        std::string constant(const Vocabulary::Entry& e) const; // CLOCK_WORD_HELLO
    };

    struct Source
    {
        std::string prefix; // made a C name: "clock" -> CLOCK_H, clock_word_hello, clock_table
        std::string origin; // where the entries came from, for the file's first comment
        std::string note;   // more for that comment (which word list changed a spelling)
        // With numbers: each NumberWords word's codes, its trailing pause dropped, in the
        // table's order; the header then holds prefix_say_number(), over the SP0256 driver.
        std::vector<std::vector<int>> numberCodes;
        bool british = false;
    };

    // What the Arduino form puts in flash: every entry's codes, the table (a pointer and a length
    // an entry), and with numbers their words, where each starts and the code that says them.
    static std::size_t flashBytes(const Vocabulary& vocabulary, const Source& source);
    // The number functions' code, measured with avr-gcc 5.4 -Os (the core's flags).
    static constexpr std::size_t kNumberCodeBytes = 450;

    // A name that the file would define twice goes to `clashes`, with the entry's line, and
    // nothing is written.
    static std::string write(const Vocabulary& vocabulary, Form form, const Source& source,
                             std::vector<Vocabulary::Problem>& clashes);
};

} // namespace tessary
