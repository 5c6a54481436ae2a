/* tessary-bridge: drives an SP0256-AL2 from allophone codes that arrive over the serial port.
 *
 * For an ATmega328P at 16 MHz (Arduino Uno or Nano). The protocol, version 1, 115200 baud 8N1:
 *
 *   host -> bridge   0x00-0x3F  an allophone code, queued for the chip
 *                    0xF0 N     hello: the bridge answers "tessary-bridge 1 ROOM N\n", where
 *                               ROOM is how many codes it can queue and N echoes the byte N
 *                    0xF1       stop: the queue is emptied and the chip reset at once; answer 'S'
 *   bridge -> host   'K'        one code went to the chip: room for one more in the queue
 *                    'Q'        the chip has fallen silent and the queue is empty
 *                    'S'        stopped
 *
 * The host never has more than ROOM codes unanswered by a 'K', so nothing is lost however long
 * the utterance. Every other byte is ignored.
 *
 * Wiring (see README.md): A1-A6 on PC0-PC5 (Arduino A0-A5), ALD on PB0 (D8), LRQ on PB1 (D9),
 * SBY on PB2 (D10), RESET and SBY RESET on PB3 (D11). SE is tied high on the board.
 */
#include <avr/interrupt.h>
#include <avr/io.h>
#include <stdint.h>
#include <util/delay.h>

#define BAUD 115200UL
#define ROOM 64 /* codes the queue holds; a power of two */

#define ALD_BIT (1 << PB0)
#define LRQ_BIT (1 << PB1)
#define SBY_BIT (1 << PB2)
#define RESET_BIT (1 << PB3)

#define HELLO 0xF0
#define STOP 0xF1

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

/* The datasheet's reset: RESET (and SBY RESET) low, then the chip stands by, silent. */
static void resetChip(void)
{
    PORTB &= (uint8_t)~RESET_BIT;
    _delay_us(50);
    PORTB |= RESET_BIT;
    _delay_us(50);
}

/* One address into the chip, SE high: A1-A6 settle, ALD pulses low, the address holds. */
static void load(uint8_t code)
{
    PORTC = (uint8_t)((PORTC & 0xC0) | (code & 0x3F));
    _delay_us(1);
    PORTB &= (uint8_t)~ALD_BIT;
    _delay_us(2);
    PORTB |= ALD_BIT;
    _delay_us(1);
}

int main(void)
{
    uint8_t speaking = 0;

    /* ALD and RESET high before they become outputs: the other order pulses them low, and
       the chip would load whatever lies on A1-A6. */
    PORTB |= ALD_BIT | RESET_BIT;
    DDRB |= ALD_BIT | RESET_BIT;
    DDRB &= (uint8_t)~(LRQ_BIT | SBY_BIT);
    DDRC |= 0x3F;

    UCSR0A = 1 << U2X0;
    UBRR0 = (uint16_t)((F_CPU / (8 * BAUD)) - 1);
    UCSR0B = (1 << RXEN0) | (1 << TXEN0) | (1 << RXCIE0);
    UCSR0C = (1 << UCSZ01) | (1 << UCSZ00);
    resetChip();
    sei();

    for (;;) {
        const int byte = received();
        if (byte >= 0 && byte < 64) {
            if (queued() < ROOM)
                queue[queueTail++ & (ROOM - 1)] = (uint8_t)byte;
        } else if (byte == HELLO) {
            int nonce;
            while ((nonce = received()) < 0)
                ;
            sendText("tessary-bridge 1 ");
            sendNumber(ROOM);
            send(' ');
            sendNumber((uint8_t)nonce);
            send('\n');
        } else if (byte == STOP) {
            queueHead = queueTail;
            resetChip();
            speaking = 0;
            send('S');
        }

        /* The chip asks for an address with LRQ low; never load one before it does. */
        if (queued() > 0 && !(PINB & LRQ_BIT)) {
            load(queue[queueHead++ & (ROOM - 1)]);
            speaking = 1;
            send('K');
        }
        if (speaking && queued() == 0 && (PINB & SBY_BIT) && !(PINB & LRQ_BIT)) {
            speaking = 0;
            send('Q');
        }
    }
}
