// A talking thermometer: says "the temperature is twenty one degrees" from a reading, through
// an SP0256-AL2 on the SP0256 driver's wiring. thermometer.h comes from thermometer.txt:
//   tessary vocab --format arduino --output thermometer.h thermometer.txt
#include <SP0256.h>
#include "thermometer.h"

// Your sensor's reading in whole degrees; a fixed one here, so that the example runs anywhere.
static long readTemperature()
{
    return 21;
}

void setup()
{
    sp0256_begin(nullptr);
    // Entries inside a sentence: without the pause that ends each, and the pause between words
    // before the next (the number function says its own).
    sp0256_say_codes_P(thermometer_word_the_temperature_is,
                       thermometer_word_the_temperature_is_length - 1);
    thermometer_say_number_words(readTemperature());
    sp0256_say_gap_before(pgm_read_byte(&thermometer_word_degrees[0]));
    sp0256_say_codes_P(thermometer_word_degrees, thermometer_word_degrees_length);
    sp0256_wait();
}

void loop()
{
    sp0256_idle(); // nothing more to do: asleep until the core's next millisecond tick
}
