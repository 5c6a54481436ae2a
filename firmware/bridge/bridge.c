/* tessary-bridge: drives an SP0256-AL2 from allophone codes that arrive over the serial port.
 *
 * For an ATmega328P at 16 MHz (Arduino Uno or Nano). The protocol is protocol.h beside this
 * file. The main loop never waits without a bound: between two bytes from the host it keeps
 * handing codes to the chip.
 *
 * The chip is driven by the SP0256 driver (firmware/SP0256/) on its default map, the wiring of
 * README.md: A1-A6 on PC0-PC5 (Arduino A0-A5), ALD on PB0 (D8), LRQ on PB1 (D9), SBY on PB2
 * (D10), RESET and SBY RESET on PB3 (D11). SE is tied high on the board.
 */
#include <avr/interrupt.h>
#include <avr/io.h>
#include <stdint.h>

#include "SP0256.h"
#include "protocol.h"

#define ROOM TB_ROOM

/* Timer 1 counts in ticks of 64 us (16 MHz / 1024); 16 bits wrap after 4.2 s. */
#define TICKS_PER_MS (F_CPU / 1024UL / 1000UL)

/* Bytes from the host, filled by the receive interrupt. */
static volatile uint8_t rx[128];
static volatile uint8_t rxHead, rxTail;
/* Codes for the chip. */
static uint8_t queue[ROOM];
static uint8_t queueHead, queueTail;

ISR(USART_RX_vect)
{
    const uint8_t byte = UDR0;
    const uint8_t next = (uint8_t)((rxHead + 1) & (sizeof rx - 1));
    if (next != rxTail) {
        rx[rxHead] = byte;
        rxHead = next;
    }
}

static int received(void)
{
    uint8_t byte;
    cli();
    if (rxHead == rxTail) {
        sei();
        return -1;
    }
    byte = rx[rxTail];
    rxTail = (uint8_t)((rxTail + 1) & (sizeof rx - 1));
    sei();
    return byte;
}

static void send(uint8_t byte)
{
    while (!(UCSR0A & (1 << UDRE0)))
        ;
    UDR0 = byte;
}

static void sendText(const char* text)
{
    while (*text)
        send((uint8_t)*text++);
}

static void sendNumber(uint8_t n)
{
    if (n >= 100)
        send((uint8_t)('0' + n / 100));
    if (n >= 10)
        send((uint8_t)('0' + n / 10 % 10));
    send((uint8_t)('0' + n % 10));
}

static uint8_t queued(void)
{
    return (uint8_t)((queueTail - queueHead) & 0xFF);
}

static uint16_t ticks(void)
{
    return TCNT1;
}

/* The queue emptied and the chip silent, for a stop and for a hello. */
static void silence(void)
{
    queueHead = queueTail;
    sp0256_reset();
}

int main(void)
{
    uint8_t speaking = 0;
    uint8_t helloPending = 0;
    uint16_t helloAt = 0;

    sp0256_begin(0);

    UCSR0A = 1 << U2X0;
    UBRR0 = (uint16_t)((F_CPU / (8 * TB_BAUD)) - 1);
    UCSR0B = (1 << RXEN0) | (1 << TXEN0) | (1 << RXCIE0);
    UCSR0C = (1 << UCSZ01) | (1 << UCSZ00);
    TCCR1A = 0;
    TCCR1B = (1 << CS12) | (1 << CS10); /* clock / 1024 */
    sei();

    for (;;) {
        int byte = received();
        if (helloPending) {
            if (byte >= TB_NONCE_FIRST && byte <= TB_NONCE_LAST) {
                /* A new host: nothing of an old utterance may reach it, or the chip. */
                silence();
                speaking = 0;
                sendText(TB_ANSWER " ");
                sendNumber(TB_PROTOCOL);
                send(' ');
                sendNumber(ROOM);
                send(' ');
                sendNumber((uint8_t)byte);
                send('\n');
                byte = -1;
                helloPending = 0;
            } else if (byte >= 0 ||
                       (uint16_t)(ticks() - helloAt) > TB_HELLO_WAIT_MS * TICKS_PER_MS) {
                helloPending = 0; /* a lost nonce: the byte, if any, counts for itself */
            }
        }
        if (byte >= 0 && byte <= TB_CODE_LAST) {
            if (queued() < ROOM)
                queue[queueTail++ & (ROOM - 1)] = (uint8_t)byte;
            else
                send(TB_FULL);
        } else if (byte == TB_HELLO) {
            helloPending = 1;
            helloAt = ticks();
        } else if (byte == TB_STOP) {
            silence();
            speaking = 0;
            send(TB_STOPPED);
        }

        /* The chip asks for an address with LRQ low; never load one before it does. */
        if (queued() > 0 && sp0256_ready()) {
            sp0256_load(queue[queueHead++ & (ROOM - 1)]);
            speaking = 1;
            send(TB_LOADED);
        }
        if (speaking && queued() == 0 && !sp0256_speaking()) {
            speaking = 0;
            send(TB_SILENT);
        }
    }
}
