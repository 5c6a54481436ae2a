/* The SP0256 driver's calls over its lines (SP0256_avr.c, SP0256_arduino.cpp): the blocking
 * ones and the queue. See SP0256.h for the timing and where it comes from. */
#define SP0256_DRIVER
#include "SP0256.h"

#if defined(__AVR__)
#include <avr/io.h>
#include <avr/pgmspace.h>
#include <util/delay.h>
#if !defined(__AVR_XMEGA__)
#include <avr/sleep.h>
#endif
#define READ_FLASH(p) pgm_read_byte(p)
#else
/* Flash is read as memory everywhere else. */
#define READ_FLASH(p) (*(p))
#ifndef PROGMEM
#define PROGMEM
#endif
#endif

#if defined(ARDUINO)
unsigned long millis(void); /* the core's, declared here so that C needs no Arduino.h */

/* Whether millis() counts: on an AVR only while interrupts are on. */
static uint8_t clockRuns(void)
{
#if defined(__AVR__)
    return (SREG & _BV(SREG_I)) != 0;
#else
    return 1;
#endif
}
#endif

/* Polls `done` for up to SP0256_WAIT_MS: asleep between looks where the Arduino core's timer
   wakes the CPU, in steps of 10 us otherwise. */
static uint8_t waitFor(uint8_t (*done)(void))
{
#if defined(ARDUINO)
    if (clockRuns()) {
        const unsigned long start = millis();
        while (!done()) {
            if (millis() - start > SP0256_WAIT_MS)
                return 0;
            sp0256_idle();
        }
        return 1;
    }
#endif
#if defined(__AVR__)
    {
        uint32_t steps = (uint32_t)SP0256_WAIT_MS * 100u;
        while (!done()) {
            if (steps-- == 0)
                return 0;
            _delay_us(10);
        }
        return 1;
    }
#else
    return done();
#endif
}

void sp0256_idle(void)
{
#if defined(__AVR__) && !defined(__AVR_XMEGA__) && defined(TIMSK0) && defined(TOIE0)
    if ((SREG & _BV(SREG_I)) && (TIMSK0 & _BV(TOIE0))) {
        set_sleep_mode(SLEEP_MODE_IDLE);
        sleep_mode();
    }
#endif
}

static uint8_t gapBefore(uint8_t next)
{
    return SP0256_IS_UNVOICED_STOP(next & 0x3F) ? SP0256_PA3 : SP0256_PA1;
}

/* The queue: a ring of runs of codes, said from the first. */
typedef struct
{
    const uint8_t* codes;
    uint16_t count;
    uint8_t how;
} sp0256_run;

static sp0256_run runs[SP0256_QUEUE];
static uint8_t first, queued;
static uint16_t next;   /* the next code of runs[first] */
static uint8_t gapSaid; /* runs[first]'s gap has been said */
#if defined(ARDUINO)
static unsigned long lastTaken; /* millis() when the chip last took a code, or the queue began */
#endif
/* Every code, so that one code queues as a run of one from flash. */
static const uint8_t everyCode[64] PROGMEM = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
    22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43,
    44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63};

static void forget(void)
{
    queued = 0;
    next = 0;
    gapSaid = 0;
}

uint8_t sp0256_queue(const uint8_t* codes, uint16_t count, uint8_t how)
{
    sp0256_run* run;
    if (queued >= SP0256_QUEUE)
        return 0;
    if (count == 0)
        return 1;
    run = &runs[(uint8_t)(first + queued) % SP0256_QUEUE];
    run->codes = codes;
    run->count = count;
    run->how = how;
#if defined(ARDUINO)
    if (queued == 0)
        lastTaken = millis();
#endif
    ++queued;
    return 1;
}

uint8_t sp0256_queue_code(uint8_t code)
{
    return sp0256_queue(&everyCode[code & 0x3F], 1, SP0256_FLASH);
}

uint8_t sp0256_queue_room(void)
{
    return (uint8_t)(SP0256_QUEUE - queued);
}

uint8_t sp0256_update(void)
{
    const sp0256_run* run;
    uint8_t code;
    if (!queued)
        return 1;
    if (!sp0256_ready()) {
#if defined(ARDUINO)
        if (clockRuns() && millis() - lastTaken > SP0256_WAIT_MS) {
            forget();
            return 0;
        }
#endif
        return 1;
    }
    run = &runs[first];
    code = run->how & SP0256_FLASH ? READ_FLASH(run->codes + next) : run->codes[next];
    if ((run->how & SP0256_GAP) && !gapSaid) {
        gapSaid = 1;
        code = gapBefore(code);
    } else if (++next >= run->count) {
        first = (uint8_t)((first + 1) % SP0256_QUEUE);
        --queued;
        next = 0;
        gapSaid = 0;
    }
    sp0256_load((uint8_t)(code & 0x3F));
#if defined(ARDUINO)
    lastTaken = millis();
#endif
    return 1;
}

uint8_t sp0256_talking(void)
{
    return queued || sp0256_speaking();
}

void sp0256_stop(void)
{
    forget();
    sp0256_reset();
}

/* Says what is queued, a code each time the chip asks; 0, with the queue forgotten, when the
   chip stopped taking them. */
static uint8_t drained(void)
{
    while (queued) {
        if (!waitFor(&sp0256_ready)) {
            forget();
            return 0;
        }
        sp0256_update();
    }
    return 1;
}

uint8_t sp0256_say(uint8_t code)
{
    if (!drained() || !waitFor(&sp0256_ready))
        return 0;
    sp0256_load((uint8_t)(code & 0x3F));
    return 1;
}

uint8_t sp0256_say_gap_before(uint8_t next)
{
    return sp0256_say(gapBefore(next));
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
        if (!sp0256_say(READ_FLASH(&codes[i])))
            return 0;
    }
    return 1;
}

static uint8_t silent(void)
{
    return !sp0256_speaking();
}

uint8_t sp0256_wait(void)
{
    return drained() && waitFor(&silent);
}
