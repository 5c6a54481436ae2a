/* SP0256_tables.h: the chip's and the boards' facts the driver needs, written by
 * tessary-tablegen from the tables tessary holds (each allophone's class, each board's
 * pins): do not edit; `cmake --build build --target firmware-tables` writes it anew. */
#ifndef SP0256_TABLES_H
#define SP0256_TABLES_H

#define SP0256_PA1 0x00
#define SP0256_PA3 0x02
/* The unvoiced stops (KK3, PP, TT2, TT1, KK2, KK1, CH): PA3 is their closure. */
#define SP0256_IS_UNVOICED_STOP(code) ((code) == 0x08 || (code) == 0x09 || (code) == 0x0D || \
    (code) == 0x11 || (code) == 0x29 || (code) == 0x2A || (code) == 0x32)

#if defined(__AVR_ATmega328P__) || defined(__AVR_ATmega328__) || defined(__AVR_ATmega168__)
/* Arduino Uno, Arduino Nano (ATmega328P): A1 on A0 (PC0), A2 on A1 (PC1), A3 on A2 (PC2),
 * A4 on A3 (PC3), A5 on A4 (PC4), A6 on A5 (PC5), ALD on D8 (PB0), LRQ on D9 (PB1),
 * SBY on D10 (PB2), RESET on D11 (PB3). */
#define SP0256_BOARD "Arduino Uno, Arduino Nano"
#define SP0256_DEFAULT_PINS {{SP0256_LINE(PORTC, 0), SP0256_LINE(PORTC, 1), \
    SP0256_LINE(PORTC, 2), SP0256_LINE(PORTC, 3), SP0256_LINE(PORTC, 4), \
    SP0256_LINE(PORTC, 5)}, SP0256_LINE(PORTB, 0), SP0256_LINE(PORTB, 1), \
    SP0256_LINE(PORTB, 2), SP0256_LINE(PORTB, 3)}
#define SP0256_DEFAULT_ARDUINO_PINS {{A0, A1, A2, A3, A4, A5}, 8, 9, 10, 11}
#elif defined(__AVR_ATmega2560__)
/* Arduino Mega 2560 (ATmega2560): A1 on D22 (PA0), A2 on D23 (PA1), A3 on D24 (PA2),
 * A4 on D25 (PA3), A5 on D26 (PA4), A6 on D27 (PA5), ALD on D28 (PA6), LRQ on D29 (PA7),
 * SBY on D30 (PC7), RESET on D31 (PC6). */
#define SP0256_BOARD "Arduino Mega 2560"
#define SP0256_DEFAULT_PINS {{SP0256_LINE(PORTA, 0), SP0256_LINE(PORTA, 1), \
    SP0256_LINE(PORTA, 2), SP0256_LINE(PORTA, 3), SP0256_LINE(PORTA, 4), \
    SP0256_LINE(PORTA, 5)}, SP0256_LINE(PORTA, 6), SP0256_LINE(PORTA, 7), \
    SP0256_LINE(PORTC, 7), SP0256_LINE(PORTC, 6)}
#define SP0256_DEFAULT_ARDUINO_PINS {{22, 23, 24, 25, 26, 27}, 28, 29, 30, 31}
#elif defined(__AVR_ATmega32U4__)
/* Arduino Leonardo or Micro (ATmega32U4): A1 on A0 (PF7), A2 on A1 (PF6), A3 on A2 (PF5),
 * A4 on A3 (PF4), A5 on A4 (PF1), A6 on A5 (PF0), ALD on D8 (PB4), LRQ on D9 (PB5),
 * SBY on D10 (PB6), RESET on D11 (PB7). */
#define SP0256_BOARD "Arduino Leonardo or Micro"
#define SP0256_DEFAULT_PINS {{SP0256_LINE(PORTF, 7), SP0256_LINE(PORTF, 6), \
    SP0256_LINE(PORTF, 5), SP0256_LINE(PORTF, 4), SP0256_LINE(PORTF, 1), \
    SP0256_LINE(PORTF, 0)}, SP0256_LINE(PORTB, 4), SP0256_LINE(PORTB, 5), \
    SP0256_LINE(PORTB, 6), SP0256_LINE(PORTB, 7)}
#define SP0256_DEFAULT_ARDUINO_PINS {{A0, A1, A2, A3, A4, A5}, 8, 9, 10, 11}
#endif

#endif
