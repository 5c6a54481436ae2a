// A kitchen timer: a press of the button on D2 (to ground) starts a minute. It says "one
// minute", then what is left every fifteen seconds ("forty five seconds") and "time is up" at
// the end, each on its time, while the LED on D13 blinks the seconds without a break. A press
// while it runs stops it ("stopped"). The speech is queued: loop() never waits for the chip,
// and sleeps between the core's millisecond ticks when nothing falls due before the next.
// kitchen.h comes from kitchen.txt:
//   tessary vocab --format arduino --output kitchen.h kitchen.txt
#include <SP0256.h>
#include "kitchen.h"

const uint8_t buttonPin = 2;
const uint8_t ledPin = 13;
const long spanSeconds = 60;                // the timer's length
const long everySeconds = 15;               // how often it says what is left
const unsigned long blinkMicros = 500000UL; // the LED's half period
const unsigned long bounceMicros = 20000UL; // a button's contacts settle within this

bool running = false;
long left;                   // seconds left at the next announcement
unsigned long nextSaid;      // micros() of the next announcement
unsigned long nextBlink;     // micros() of the LED's next change
bool ledOn = false;
bool buttonDown = false;
unsigned long buttonChanged; // micros() of the button's last change

// Whether the micros() time `when` has come, right across micros()' wrap every 71 minutes.
static bool reached(unsigned long when, unsigned long now)
{
    return (long)(now - when) >= 0;
}

// Whether the button has just gone down (a change within bounceMicros of the last is bounce).
static bool pressed(unsigned long now)
{
    const bool down = digitalRead(buttonPin) == LOW;
    if (down == buttonDown || now - buttonChanged < bounceMicros)
        return false;
    buttonDown = down;
    buttonChanged = now;
    return down;
}

static void announce()
{
    if (left == spanSeconds) {
        sp0256_queue(kitchen_word_one_minute, kitchen_word_one_minute_length, SP0256_FLASH);
    } else if (left > 0) {
        kitchen_queue_number_first(left); // "forty five", the sentence's first words
        sp0256_queue(kitchen_word_seconds, kitchen_word_seconds_length, SP0256_FLASH | SP0256_GAP);
    } else {
        sp0256_queue(kitchen_word_time_is_up, kitchen_word_time_is_up_length, SP0256_FLASH);
    }
}

void setup()
{
    sp0256_begin(nullptr);
    pinMode(buttonPin, INPUT_PULLUP);
    pinMode(ledPin, OUTPUT);
    nextBlink = micros();
}

void loop()
{
    const unsigned long now = micros();
    if (reached(nextBlink, now)) {
        ledOn = !ledOn;
        digitalWrite(ledPin, ledOn ? HIGH : LOW);
        nextBlink += blinkMicros;
    }
    if (pressed(now)) {
        if (running) {
            running = false;
            sp0256_stop();
            sp0256_queue(kitchen_word_stopped, kitchen_word_stopped_length, SP0256_FLASH);
        } else {
            running = true;
            left = spanSeconds;
            nextSaid = now;
        }
    }
    if (running && reached(nextSaid, now)) {
        announce();
        nextSaid += everySeconds * 1000000UL;
        left -= everySeconds;
        running = left >= 0;
    }
    sp0256_update();
    // Asleep until the next millisecond tick, unless something falls due before it: within
    // two ticks, as the tick may come between this look and the sleep, which then lasts to
    // the one after.
    const unsigned long soon = micros() + 2100;
    if (!reached(nextBlink, soon) && !(running && reached(nextSaid, soon)))
        sp0256_idle();
}
