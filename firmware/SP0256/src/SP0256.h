/* SP0256: a driver for the General Instrument SP0256-AL2 speech chip, for plain avr-gcc and for
 * the Arduino IDE alike. The bridge firmware (firmware/bridge/) drives the chip through it, so
 * that the chip's timing lives here only.
 *
 * Two forms of the same calls. On a classic AVR (the Uno, Nano, Mega 2560, Leonardo, Micro) the
 * lines are port bits, changed with interrupts held off for the few cycles each change takes,
 * so that an interrupt that writes another pin of the same port (tone(), Servo, SoftwareSerial)
 * never has its change undone. On any other Arduino core (Nano Every, ESP32, RP2040), or with
 * SP0256_PORTABLE defined when the driver is compiled, the lines are Arduino pin numbers driven
 * through pinMode(), digitalWrite() and digitalRead().
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
 * Two ways to speak. The blocking calls (sp0256_say and those after it) return once the chip
 * has taken the last code: simple, and fine for a sketch that does nothing else meanwhile. The
 * queue (sp0256_queue and after) returns at once and sp0256_update(), called from loop(), hands
 * the chip its next code whenever it asks for one. The queue is polled rather than driven by an
 * interrupt on LRQ: LRQ may then be any pin, no interrupt vector is taken from another library
 * (SoftwareSerial claims every pin-change vector), and nothing is read from flash inside an
 * interrupt. The chip holds one code while it says the one before, so a loop() that comes
 * round within the shortest allophone (PA1, 6.4 ms) keeps the speech seamless; a slower one
 * makes a pause, never a wrong word.
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

/* Port bits on a classic AVR; Arduino pin numbers anywhere else. */
#if defined(__AVR__) && !defined(__AVR_XMEGA__) && !defined(SP0256_PORTABLE)
#define SP0256_REGISTERS 1
#else
#define SP0256_REGISTERS 0
#endif

#if SP0256_REGISTERS
/* One line of the chip on an AVR port: its PORTx register and bit (DDRx and PINx are found
   from it, as every classic ATmega lays them out). */
typedef struct
{
    volatile uint8_t* port;
    uint8_t bit;
} sp0256_line;
#define SP0256_LINE(PORTX, BIT) {&(PORTX), (BIT)}
#else
/* One line of the chip: an Arduino pin number (8, A0). */
typedef uint8_t sp0256_line;
#endif

/* The chip's lines on the board. */
typedef struct
{
    sp0256_line address[6]; /* A1 (pin 18) to A6 (pin 13) */
    sp0256_line ald;        /* pin 20, active low */
    sp0256_line lrq;        /* pin 9, low: the chip takes an address */
    sp0256_line sby;        /* pin 8, high: the chip is silent */
    sp0256_line reset;      /* pins 2 and 25, RESET and SBY RESET, active low */
} sp0256_pins;

/* Each board's own wiring, where sp0256_begin() is given no map (SP0256_tables.h has them all,
   pin by pin): on the Uno and Nano A1-A6 on A0-A5 (PC0-PC5), ALD D8 (PB0), LRQ D9 (PB1), SBY
   D10 (PB2), RESET D11 (PB3), the bridge's map. A4 and A5 are also the Uno's I2C pins (SDA,
   SCL): a board that needs I2C passes a map of its own, e.g. A5 and A6 on D6 and D7 (PD6,
   PD7). A board with none (an ESP32's pins 8-11 belong to its flash) must be given a map: the
   sketch defines SP0256_NO_DEFAULT_PINS before it includes this header. */
#include "SP0256_tables.h"
#if !SP0256_REGISTERS && defined(SP0256_DEFAULT_ARDUINO_PINS)
#undef SP0256_DEFAULT_PINS
#define SP0256_DEFAULT_PINS SP0256_DEFAULT_ARDUINO_PINS
#elif !SP0256_REGISTERS
#undef SP0256_DEFAULT_PINS
#endif
#if !defined(SP0256_DEFAULT_PINS) && !defined(SP0256_NO_DEFAULT_PINS) && !defined(SP0256_DRIVER)
#define SP0256_QUOTED(x) #x
#define SP0256_NAMED(x) SP0256_QUOTED(x)
#if defined(ARDUINO_BOARD)
#pragma message("SP0256: the board built for is " ARDUINO_BOARD)
#elif defined(__AVR_DEVICE_NAME__)
#pragma message("SP0256: the MCU built for is the " SP0256_NAMED(__AVR_DEVICE_NAME__))
#endif
#error "SP0256: no default wiring for this board (the Uno, Nano, Mega 2560, Leonardo and Micro have one): define SP0256_NO_DEFAULT_PINS and pass sp0256_begin() a map of your own"
#endif

#define SP0256_WAIT_MS 1000

/* Takes the lines (the board's own wiring for a null pointer; on a board with none, a null
   pointer leaves the driver unstarted and every call returns 0), makes ALD and RESET outputs
   held high (in that order: no stray pulse), and resets the chip. */
void sp0256_begin(const sp0256_pins* pins);
/* Silences the chip at once and forgets its buffer. */
void sp0256_reset(void);
/* Whether the chip takes an address now (LRQ low). */
uint8_t sp0256_ready(void);
/* Hands one code (0-63) over now; only when sp0256_ready(). */
void sp0256_load(uint8_t code);
/* Whether the chip is speaking (SBY low, or a code waits in its buffer). */
uint8_t sp0256_speaking(void);

/* Blocking: each returns once the chip has taken the last code, 0 when it stopped taking them.
   Anything queued is said first. */
/* Waits until the chip takes an address, then hands the code over. */
uint8_t sp0256_say(uint8_t code);
/* A run of codes from RAM, or from flash (PROGMEM) with the _P form. */
uint8_t sp0256_say_codes(const uint8_t* codes, uint16_t count);
uint8_t sp0256_say_codes_P(const uint8_t* codes, uint16_t count);
/* The pause between two words, said before the next word's first code: PA3 where that is an
   unvoiced stop (PP, TT1, TT2, KK1-KK3, CH), its closure; PA1 before anything else. The pause
   `tessary codes --text` puts between words. */
uint8_t sp0256_say_gap_before(uint8_t next);
/* Waits until the queue is said and the chip has fallen silent; 0 when it never did. */
uint8_t sp0256_wait(void);

/* Queued: each returns at once, 1 when queued and 0 when the queue has no room (nothing of that
   call is queued then). */
#define SP0256_QUEUE 16   /* runs of codes the queue holds (5 bytes of RAM each on an AVR) */
#define SP0256_RAM 0x00   /* the codes are in RAM, and must stay there until said */
#define SP0256_FLASH 0x01 /* the codes are in flash (PROGMEM) */
#define SP0256_GAP 0x02   /* the pause between words before them, as sp0256_say_gap_before */
uint8_t sp0256_queue(const uint8_t* codes, uint16_t count, uint8_t how);
uint8_t sp0256_queue_code(uint8_t code);
/* Room left in the queue, in runs. */
uint8_t sp0256_queue_room(void);
/* Hands the chip its next code when it asks for one; call it from loop(), as often as loop()
   comes round. 0 when the chip took no code for SP0256_WAIT_MS with codes queued: the queue
   is then emptied (no chip answers). */
uint8_t sp0256_update(void);
/* Whether anything is queued or the chip is still speaking. */
uint8_t sp0256_talking(void);
/* Forgets the queue and silences the chip at once. */
void sp0256_stop(void);
/* Sleeps until the next interrupt (on an Arduino AVR, the core's millisecond timer), where one
   will come; returns at once elsewhere. A loop() with nothing to do may call it to save power:
   the blocking waits do, and so the simulator skips the idle time. */
void sp0256_idle(void);

#ifdef __cplusplus
}
#endif

#endif
