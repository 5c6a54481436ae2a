/* The SP0256 driver's lines on a classic AVR: port bits, each change made with interrupts held
 * off (see SP0256.h for the timing and where it comes from). */
#define SP0256_DRIVER
#include "SP0256.h"

#if SP0256_REGISTERS

#include <avr/io.h>
#include <util/atomic.h>
#include <util/delay.h>

static sp0256_pins lines;
static uint8_t begun;

/* On every classic ATmega, DDRx lies one register below PORTx and PINx two below. */
#define DDR_OF(line) (*((line).port - 1))
#define PIN_OF(line) (*((line).port - 2))

/* A read-modify-write of a port is three instructions (or one, sbi/cbi, for a fixed low port);
   an interrupt between them that changes another bit would have that change undone. */
static void set(volatile uint8_t* reg, uint8_t bit, uint8_t high)
{
    const uint8_t mask = (uint8_t)(1u << bit); /* shifted before: interrupts wait the less */
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE)
    {
        if (high)
            *reg |= mask;
        else
            *reg &= (uint8_t)~mask;
    }
}

static void drive(sp0256_line line, uint8_t high)
{
    set(line.port, line.bit, high);
}

static uint8_t level(sp0256_line line)
{
    return (uint8_t)((PIN_OF(line) >> line.bit) & 1u);
}

static void output(sp0256_line line, uint8_t high)
{
    drive(line, high); /* the level first: the line never shows the wrong one */
    set(&DDR_OF(line), line.bit, 1);
}

static void input(sp0256_line line)
{
    set(&DDR_OF(line), line.bit, 0);
    drive(line, 0); /* no pull-up: the chip drives LRQ and SBY both ways */
}

void sp0256_begin(const sp0256_pins* pins)
{
    uint8_t i;
#ifdef SP0256_DEFAULT_PINS
    static const sp0256_pins wiring = SP0256_DEFAULT_PINS;
    if (!pins)
        pins = &wiring;
#endif
    if (!pins)
        return;
    lines = *pins;
    begun = 1;
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
    if (!begun)
        return;
    drive(lines.reset, 0);
    _delay_us(100);
    drive(lines.reset, 1);
    _delay_us(100);
}

uint8_t sp0256_ready(void)
{
    return begun && !level(lines.lrq);
}

void sp0256_load(uint8_t code)
{
    uint8_t i;
    if (!begun)
        return;
    for (i = 0; i < 6; ++i)
        drive(lines.address[i], (uint8_t)((code >> i) & 1u));
    _delay_us(1);
    drive(lines.ald, 0);
    _delay_us(2);
    drive(lines.ald, 1);
    _delay_us(1);
}

uint8_t sp0256_speaking(void)
{
    return begun && (!level(lines.sby) || !sp0256_ready());
}

#endif
