// Says "hello" once a second through an SP0256-AL2 wired as the bridge's map (see the hardware
// page): A1-A6 on A0-A5, ALD on D8, LRQ on D9, SBY on D10, RESET on D11.
#include <SP0256.h>

// hh1 eh ll ow pa1, as `tessary codes --format c hh1 eh ll ow pa1` gives it, in flash.
const uint8_t hello[] PROGMEM = {0x1B, 0x07, 0x2D, 0x35, 0x00};

void setup()
{
    sp0256_begin(nullptr);
}

void loop()
{
    sp0256_say_codes_P(hello, sizeof hello);
    sp0256_wait();
    // A second's rest, asleep between the core's millisecond ticks rather than counting them
    // as delay() does.
    const unsigned long rest = millis();
    while (millis() - rest < 1000)
        sp0256_idle();
}
