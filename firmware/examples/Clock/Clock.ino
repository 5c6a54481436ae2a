// A talking clock: says the time, "the time is twelve thirty", through an SP0256-AL2 on the
// SP0256 driver's wiring. clock.h comes from clock.txt:
//   tessary vocab --format arduino --output clock.h clock.txt
#include <SP0256.h>
#include "clock.h"

// Your real-time clock's hours and minutes; fixed ones here, so that the example runs anywhere.
static const long hours = 12;
static const long minutes = 30;

void setup()
{
    sp0256_begin(nullptr);
    sp0256_say_codes_P(clock_word_the_time_is, clock_word_the_time_is_length - 1);
    clock_say_number_words(hours); // each says the pause between words before it
    clock_say_number_words(minutes);
    sp0256_say(0x00); // PA1 after the last word, and the chip falls silent
    sp0256_wait();
}

void loop()
{
    sp0256_idle(); // nothing more to do: asleep until the core's next millisecond tick
}
