/* THERMOMETER: SP0256-AL2 allophone codes, written by tessary from thermometer.txt. */
/* The arrays and the table are in flash: read a code with
   pgm_read_byte(&thermometer_word_the_temperature_is[i]) and an entry of the table with memcpy_P. */
#ifndef THERMOMETER_H
#define THERMOMETER_H

#include <stdint.h>
#if defined(__AVR__)
#include <avr/pgmspace.h>
#elif !defined(PROGMEM) /* flash is read as memory on other cores */
#include <string.h>
#define PROGMEM
#define pgm_read_byte(p) (*(const uint8_t*)(p))
#define pgm_read_word(p) (*(const uint16_t*)(p))
#define memcpy_P memcpy
#endif

/* the temperature is: the temperature is */
/* dh1 ax pa3 tt2 eh eh mm pp rr2 ih pa3 ch er1 pa1 ih zz pa1 */
static const uint8_t thermometer_word_the_temperature_is[] PROGMEM = {
    0x12, 0x0F, 0x02, 0x0D, 0x07, 0x07, 0x10, 0x09, 0x27, 0x0C, 0x02, 0x32,
    0x33, 0x00, 0x0C, 0x2B, 0x00
};
static const uint16_t thermometer_word_the_temperature_is_length = 17;

/* degrees: degrees */
/* dd2 ih pa1 gg1 rr2 iy zz pa1 */
static const uint8_t thermometer_word_degrees[] PROGMEM = {
    0x21, 0x0C, 0x00, 0x24, 0x27, 0x13, 0x2B, 0x00
};
static const uint16_t thermometer_word_degrees_length = 8;

enum thermometer_index {
    THERMOMETER_WORD_THE_TEMPERATURE_IS,
    THERMOMETER_WORD_DEGREES,
    THERMOMETER_COUNT
};

struct thermometer_entry {
    const uint8_t *codes;
    uint16_t length;
};

static const struct thermometer_entry thermometer_table[THERMOMETER_COUNT] PROGMEM = {
    { thermometer_word_the_temperature_is, 17 },
    { thermometer_word_degrees, 8 },
};

/* Numbers: thermometer_say_number(n) says any integer from -999999 to 999999
   through the SP0256 driver, as the spelling of its words has it; 0 when n
   is out of range or the chip stopped taking codes. */
#include "SP0256.h"

static const uint8_t thermometer_number_codes[] PROGMEM = {
    0x2B, 0x3C, 0x35, 0x2E, 0x0F, 0x0F, 0x0B, 0x0D, 0x1F, 0x1D, 0x27, 0x13,
    0x28, 0x3A, 0x28, 0x06, 0x23, 0x37, 0x0C, 0x0C, 0x02, 0x08, 0x37, 0x37,
    0x07, 0x07, 0x23, 0x0F, 0x0B, 0x14, 0x02, 0x11, 0x38, 0x06, 0x0B, 0x0D,
    0x07, 0x07, 0x0B, 0x0C, 0x2D, 0x07, 0x07, 0x23, 0x0F, 0x0B, 0x0D, 0x2E,
    0x07, 0x07, 0x2D, 0x23, 0x1D, 0x34, 0x02, 0x0D, 0x13, 0x0B, 0x28, 0x3A,
    0x02, 0x0D, 0x13, 0x0B, 0x28, 0x0C, 0x0C, 0x28, 0x02, 0x0D, 0x13, 0x0B,
    0x37, 0x0C, 0x0C, 0x02, 0x08, 0x37, 0x02, 0x0D, 0x13, 0x0B, 0x37, 0x07,
    0x07, 0x23, 0x0F, 0x0B, 0x0D, 0x13, 0x0B, 0x14, 0x02, 0x0D, 0x13, 0x0B,
    0x38, 0x06, 0x0B, 0x0D, 0x13, 0x0B, 0x0D, 0x2E, 0x07, 0x07, 0x0B, 0x0D,
    0x13, 0x1D, 0x34, 0x00, 0x21, 0x13, 0x28, 0x3A, 0x00, 0x21, 0x13, 0x28,
    0x0C, 0x0C, 0x28, 0x02, 0x0D, 0x13, 0x37, 0x0C, 0x0C, 0x02, 0x08, 0x37,
    0x02, 0x0D, 0x13, 0x37, 0x07, 0x07, 0x23, 0x0F, 0x0B, 0x0D, 0x13, 0x14,
    0x00, 0x21, 0x13, 0x38, 0x06, 0x0B, 0x0D, 0x13, 0x1B, 0x0F, 0x0F, 0x0B,
    0x15, 0x27, 0x0C, 0x00, 0x15, 0x1D, 0x20, 0x2B, 0x0F, 0x0B, 0x15, 0x10,
    0x06, 0x0B, 0x0F, 0x37, 0x1A, 0x0B, 0x15, 0x2E, 0x0F, 0x0B, 0x0D, 0x1F,
    0x1D, 0x27, 0x13, 0x28, 0x3A, 0x28, 0x06, 0x23, 0x37, 0x0C, 0x0C, 0x02,
    0x08, 0x37, 0x37, 0x07, 0x07, 0x23, 0x0F, 0x0B, 0x14, 0x02, 0x11, 0x38,
    0x06, 0x0B, 0x0D, 0x07, 0x07, 0x0B, 0x0C, 0x2D, 0x07, 0x07, 0x23, 0x0F,
    0x0B, 0x0D, 0x2E, 0x07, 0x07, 0x2D, 0x23, 0x1D, 0x34, 0x02, 0x0D, 0x13,
    0x0B, 0x28, 0x3A, 0x02, 0x0D, 0x13, 0x0B, 0x28, 0x0C, 0x0C, 0x28, 0x02,
    0x0D, 0x13, 0x0B, 0x37, 0x0C, 0x0C, 0x02, 0x08, 0x37, 0x02, 0x0D, 0x13,
    0x0B, 0x37, 0x07, 0x07, 0x23, 0x0F, 0x0B, 0x0D, 0x13, 0x0B, 0x14, 0x02,
    0x0D, 0x13, 0x0B, 0x38, 0x06, 0x0B, 0x0D, 0x13, 0x0B
};
static const uint16_t thermometer_number_start[] PROGMEM = {0, 3, 7, 9, 12, 14, 17, 23, 29, 32, 35, 39, 46, 52, 58, 64, 72, 82, 91, 96, 102, 109, 114, 119, 126, 135, 143, 147, 152, 161, 167, 172, 175, 178, 180, 183, 185, 188, 194, 200, 203, 206, 210, 217, 223, 229, 235, 243, 253, 262, 267, 273};

/* How a number's words go: said at once, queued, or only counted (to see that the queue has
   room for them all); whether a word came before (the next takes the gap), and whether the
   number ends what is said. */
typedef struct
{
    uint8_t said, ends, mode, words;
} thermometer_number_how;

static inline uint8_t thermometer_number_word(uint8_t w, thermometer_number_how* how)
{
    const uint16_t from = pgm_read_word(&thermometer_number_start[w]);
    const uint16_t to = pgm_read_word(&thermometer_number_start[w + 1]);
    const uint8_t gap = how->said;
    how->said = 1;
    ++how->words;
    if (how->mode == 1)
        return 1;
    if (how->mode == 2)
        return sp0256_queue(thermometer_number_codes + from, (uint16_t)(to - from),
                            (uint8_t)(SP0256_FLASH | (gap ? SP0256_GAP : 0)));
    return (!gap || sp0256_say_gap_before(pgm_read_byte(thermometer_number_codes + from))) &&
           sp0256_say_codes_P(thermometer_number_codes + from, (uint16_t)(to - from));
}

static inline uint8_t thermometer_number_below(uint16_t n, uint8_t andFirst, uint8_t ends,
                                       thermometer_number_how* how)
{
    (void)andFirst;
    if (n >= 100) {
        if (!thermometer_number_word((uint8_t)(n / 100), how) || !thermometer_number_word(28, how))
            return 0;
        n %= 100;
        if (0 && n && !thermometer_number_word(31, how))
            return 0;
    } else if (0 && andFirst && n && !thermometer_number_word(31, how)) {
        return 0;
    }
    if (n >= 20) {
        if (!thermometer_number_word((uint8_t)(18 + n / 10), how))
            return 0;
        n %= 10;
    }
    return n ? thermometer_number_word((uint8_t)(ends && how->said ? 31 + n : n), how) : 1;
}

static inline uint8_t thermometer_number(long n, thermometer_number_how* how)
{
    if (n < -999999L || n > 999999L)
        return 0;
    if (n < 0) {
        if (!thermometer_number_word(30, how))
            return 0;
        n = -n;
    }
    if (n == 0)
        return thermometer_number_word(0, how);
    if (n >= 1000 && (!thermometer_number_below((uint16_t)(n / 1000), 0, 0, how) ||
                      !thermometer_number_word(29, how)))
        return 0;
    return n % 1000 == 0 || thermometer_number_below((uint16_t)(n % 1000), n >= 1000, how->ends, how);
}

static inline uint8_t thermometer_number_said(long n, uint8_t after, uint8_t ends)
{
    thermometer_number_how how = {after, ends, 0, 0};
    return thermometer_number(n, &how) && (!ends || sp0256_say(0x00));
}

/* All of the number's words queued, or none where the queue lacks room for them. */
static inline uint8_t thermometer_number_queued(long n, uint8_t after, uint8_t ends)
{
    thermometer_number_how count = {after, ends, 1, 0};
    thermometer_number_how queue = {after, ends, 2, 0};
    if (!thermometer_number(n, &count) || sp0256_queue_room() < count.words + ends)
        return 0;
    return thermometer_number(n, &queue) && (!ends || sp0256_queue_code(0x00));
}

/* A number said alone, and PA1 after it so that the chip falls silent. */
static inline uint8_t thermometer_say_number(long n)
{
    return thermometer_number_said(n, 0, 1);
}

/* A number that begins a sentence: no pause before it or after it. */
static inline uint8_t thermometer_say_number_first(long n)
{
    return thermometer_number_said(n, 0, 0);
}

/* A number after words of a sentence: the pause between words before it, none after it. */
static inline uint8_t thermometer_say_number_words(long n)
{
    return thermometer_number_said(n, 1, 0);
}

/* The same three into the driver's queue: each returns at once (0 when the queue has no room
   for the whole number), and sp0256_update() says them. */
static inline uint8_t thermometer_queue_number(long n)
{
    return thermometer_number_queued(n, 0, 1);
}

static inline uint8_t thermometer_queue_number_first(long n)
{
    return thermometer_number_queued(n, 0, 0);
}

static inline uint8_t thermometer_queue_number_words(long n)
{
    return thermometer_number_queued(n, 1, 0);
}

#endif /* THERMOMETER_H */
