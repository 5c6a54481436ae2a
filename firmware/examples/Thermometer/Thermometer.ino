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

// An entry inside a sentence: without the pause that ends it, and the word gap (PA3) after.
static void sayWord(const uint8_t* codes, uint16_t length)
{
    sp0256_say_codes_P(codes, length - 1);
    sp0256_say(0x02);
}

void setup()
{
    sp0256_begin(nullptr);
    sayWord(thermometer_word_the_temperature_is, thermometer_word_the_temperature_is_length);
    thermometer_say_number_words(readTemperature());
    sp0256_say(0x02);
    sp0256_say_codes_P(thermometer_word_degrees, thermometer_word_degrees_length);
    sp0256_wait();
}

void loop()
{
}
