// The SP0256 driver's lines on any Arduino core, by pin number (see SP0256.h for the timing and
// where it comes from). A classic AVR uses the port bits of SP0256_avr.c instead, unless
// SP0256_PORTABLE is defined.
#define SP0256_DRIVER
#include "SP0256.h"

#if !SP0256_REGISTERS

#include <Arduino.h>

static sp0256_pins lines;
static bool begun = false;

extern "C" {

void sp0256_begin(const sp0256_pins* pins)
{
#ifdef SP0256_DEFAULT_PINS
    static const sp0256_pins wiring = SP0256_DEFAULT_PINS;
    if (!pins)
        pins = &wiring;
#endif
    if (!pins)
        return;
    lines = *pins;
    begun = true;
    // The level first: the line never shows the wrong one.
    digitalWrite(lines.ald, HIGH);
    pinMode(lines.ald, OUTPUT);
    digitalWrite(lines.reset, HIGH);
    pinMode(lines.reset, OUTPUT);
    for (uint8_t line : lines.address) {
        digitalWrite(line, LOW);
        pinMode(line, OUTPUT);
    }
    pinMode(lines.lrq, INPUT); // no pull-up: the chip drives LRQ and SBY both ways
    pinMode(lines.sby, INPUT);
    sp0256_reset();
}

void sp0256_reset(void)
{
    if (!begun)
        return;
    digitalWrite(lines.reset, LOW);
    delayMicroseconds(100);
    digitalWrite(lines.reset, HIGH);
    delayMicroseconds(100);
}

uint8_t sp0256_ready(void)
{
    return begun && digitalRead(lines.lrq) == LOW;
}

void sp0256_load(uint8_t code)
{
    if (!begun)
        return;
    for (uint8_t i = 0; i < 6; ++i)
        digitalWrite(lines.address[i], (code >> i) & 1u ? HIGH : LOW);
    delayMicroseconds(1);
    digitalWrite(lines.ald, LOW);
    delayMicroseconds(2);
    digitalWrite(lines.ald, HIGH);
    delayMicroseconds(1);
}

uint8_t sp0256_speaking(void)
{
    return begun && (digitalRead(lines.sby) == LOW || !sp0256_ready());
}

} // extern "C"

#endif
