/* SP0256: a driver for the General Instrument SP0256-AL2 speech chip on an AVR (ATmega328P:
 * Arduino Uno, Nano), for plain avr-gcc and for the Arduino IDE alike. The bridge firmware
 * (firmware/bridge/) drives the chip through it, so that the chip's timing lives here only.
 *
 * The chip takes one 6-bit address (an allophone's code) at a time: the code on A1-A6, then a
 * low pulse on ALD while SE is held high. LRQ low means its one-code buffer is free; SBY high
 * means it has fallen silent. RESET (and SBY RESET) low silences it at once.
 *
 * Timing, and where each figure comes from:
 *   - address setup before ALD falls 1 us, ALD low 2 us, address held 1 us after ALD rises:
 *     choices, each several times what the chip needs (it answers ALD within some 200 ns,
 *     measured on a real chip), so that long wires and slow edges are no risk;
 *   - after a load to an idle chip, LRQ stays high 16-42 us (measured): the driver waits for it
 *     to fall before the next load, never loads while it is high;
 *   - RESET low 100 us, then 100 us before the first load: choices, far above the few clock
 *     cycles of the 3.12 MHz oscillator a reset takes;
 *   - every wait ends: SP0256_WAIT_MS (1 s) is more than twice the longest allophone (OY,
 *     about 420 ms), so a wait that runs out means no chip, or a chip that is not running.
 *
 * LRQ and SBY need no pull-ups: the chip drives them high and low. Where no chip answers (not
 * wired, not powered, no clock), a wait runs out and the call returns 0.
 */
#ifndef SP0256_H
#define SP0256_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One line of the chip on an AVR port: its PORTx register and bit (DDRx and PINx are found
   from it, as every ATmega lays them out). */
typedef struct
{
    volatile uint8_t* port;
    uint8_t bit;
} sp0256_line;

/* The chip's lines on the AVR. */
typedef struct
{
    sp0256_line address[6]; /* A1 (pin 18) to A6 (pin 13) */
    sp0256_line ald;        /* pin 20, active low */
    sp0256_line lrq;        /* pin 9, low: the chip takes an address */
    sp0256_line sby;        /* pin 8, high: the chip is silent */
    sp0256_line reset;      /* pins 2 and 25, RESET and SBY RESET, active low */
} sp0256_pins;

#define SP0256_LINE(PORTX, BIT) {&(PORTX), (BIT)}

/* Each board's own wiring, where sp0256_begin() is given no map (SP0256_tables.h has them all,
   pin by pin): on the Uno and Nano A1-A6 on A0-A5 (PC0-PC5), ALD D8 (PB0), LRQ D9 (PB1), SBY
   D10 (PB2), RESET D11 (PB3), the bridge's map. A4 and A5 are also the Uno's I2C pins (SDA,
   SCL): a board that needs I2C passes a map of its own, e.g. A5 and A6 on D6 and D7 (PD6,
   PD7). */
#include "SP0256_tables.h"
#if !defined(SP0256_DEFAULT_PINS) && !defined(SP0256_NO_DEFAULT_PINS)
#error "SP0256: no default wiring for this board (the Uno, Nano, Mega 2560, Leonardo and Micro have one): define SP0256_NO_DEFAULT_PINS and pass sp0256_begin() a map of your own"
#endif

#define SP0256_WAIT_MS 1000

/* Takes the lines (the board's own wiring for a null pointer; with SP0256_NO_DEFAULT_PINS a map
   must be given), makes ALD and RESET outputs held high (in that order: no stray pulse), and
   resets the chip. */
void sp0256_begin(const sp0256_pins* pins);
/* Silences the chip at once and forgets its buffer: the way to stop. */
void sp0256_reset(void);
/* Whether the chip takes an address now (LRQ low). */
uint8_t sp0256_ready(void);
/* Hands one code (0-63) over now; only when sp0256_ready(). */
void sp0256_load(uint8_t code);
/* Waits until the chip takes an address, then hands the code over; 0 when it never did. */
uint8_t sp0256_say(uint8_t code);
/* A run of codes from RAM, or from flash (PROGMEM) with the _P form; 0 when the chip stopped
   taking them. */
uint8_t sp0256_say_codes(const uint8_t* codes, uint16_t count);
uint8_t sp0256_say_codes_P(const uint8_t* codes, uint16_t count);
/* The pause between two words, said before the next word's first code: PA3 where that is an
   unvoiced stop (PP, TT1, TT2, KK1-KK3, CH), its closure; PA1 before anything else. The pause
   `tessary codes --text` puts between words. 0 when the chip stopped taking codes. */
uint8_t sp0256_say_gap_before(uint8_t next);
/* Whether the chip is speaking (SBY low, or a code waits in its buffer). */
uint8_t sp0256_speaking(void);
/* Waits until the chip has fallen silent; 0 when it never did. */
uint8_t sp0256_wait(void);

#ifdef __cplusplus
}
#endif

#endif
