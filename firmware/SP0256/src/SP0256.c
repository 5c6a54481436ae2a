/* The SP0256-AL2 driver: see SP0256.h for the timing and where it comes from. */
#include "SP0256.h"

#include <avr/io.h>
#include <avr/pgmspace.h>
#include <util/delay.h>

static sp0256_pins lines;

/* On every ATmega, DDRx lies one register below PORTx and PINx two below. */
#define DDR_OF(line) (*((line).port - 1))
#define PIN_OF(line) (*((line).port - 2))

static void drive(sp0256_line line, uint8_t high)
{
    if (high)
        *line.port |= (uint8_t)(1u << line.bit);
    else
        *line.port &= (uint8_t)~(1u << line.bit);
}

static uint8_t level(sp0256_line line)
{
    return (uint8_t)((PIN_OF(line) >> line.bit) & 1u);
}

static void output(sp0256_line line, uint8_t high)
{
    drive(line, high); /* the level first: the line never shows the wrong one */
    DDR_OF(line) |= (uint8_t)(1u << line.bit);
}

static void input(sp0256_line line)
{
    DDR_OF(line) &= (uint8_t)~(1u << line.bit);
    drive(line, 0); /* no pull-up: the chip drives LRQ and SBY both ways */
}

void sp0256_begin(const sp0256_pins* pins)
{
    uint8_t i;
#ifdef SP0256_DEFAULT_PINS
    static const sp0256_pins wiring = SP0256_DEFAULT_PINS;
    lines = pins ? *pins : wiring;
#else
    lines = *pins;
#endif
    output(lines.ald, 1);
    output(lines.reset, 1);
    for (i = 0; i < 6; ++i)
        output(lines.address[i], 0);
    input(lines.lrq);
    input(lines.sby);
    sp0256_reset();
}

void sp0256_reset(void)
{
    drive(lines.reset, 0);
    _delay_us(100);
    drive(lines.reset, 1);
    _delay_us(100);
}

uint8_t sp0256_ready(void)
{
    return !level(lines.lrq);
}

void sp0256_load(uint8_t code)
{
    uint8_t i;
    for (i = 0; i < 6; ++i)
        drive(lines.address[i], (uint8_t)((code >> i) & 1u));
    _delay_us(1);
    drive(lines.ald, 0);
    _delay_us(2);
    drive(lines.ald, 1);
    _delay_us(1);
}

/* Polls `done` for up to SP0256_WAIT_MS, in steps of 10 us. */
static uint8_t waitFor(uint8_t (*done)(void))
{
    uint32_t steps = (uint32_t)SP0256_WAIT_MS * 100u;
    while (!done()) {
        if (steps-- == 0)
            return 0;
        _delay_us(10);
    }
    return 1;
}

uint8_t sp0256_say(uint8_t code)
{
    if (!waitFor(&sp0256_ready))
        return 0;
    sp0256_load((uint8_t)(code & 0x3F));
    return 1;
}

uint8_t sp0256_say_gap_before(uint8_t next)
{
    return sp0256_say(SP0256_IS_UNVOICED_STOP(next & 0x3F) ? SP0256_PA3 : SP0256_PA1);
}

uint8_t sp0256_say_codes(const uint8_t* codes, uint16_t count)
{
    uint16_t i;
    for (i = 0; i < count; ++i) {
        if (!sp0256_say(codes[i]))
            return 0;
    }
    return 1;
}

uint8_t sp0256_say_codes_P(const uint8_t* codes, uint16_t count)
{
    uint16_t i;
    for (i = 0; i < count; ++i) {
        if (!sp0256_say(pgm_read_byte(&codes[i])))
            return 0;
    }
    return 1;
}

uint8_t sp0256_speaking(void)
{
    return !level(lines.sby) || !sp0256_ready();
}

static uint8_t silent(void)
{
    return !sp0256_speaking();
}

uint8_t sp0256_wait(void)
{
    return waitFor(&silent);
}
