"""Firmware a user builds as the Arduino IDE would: the SP0256 driver's example, and a sketch
that `tessary vocab --format sketch` wrote, compiled with Debian's Arduino core (arduino-mk,
the Uno's settings) and run on the simulated board, which must hear exactly the allophones
they hold, in order, with no breach of the chip's rules."""

import glob
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
CHIP_SIM = os.environ["CHIP_SIM"]
TESSARY = os.environ.get("TESSARY_CLI", "tessary")

# Debian's avr-gcc 5.4 gives C++ no DECIMAL_DIG, which the core's WString.cpp needs: the
# compiler's own value, as a newer float.h defines it. The rest is what the IDE sets.
MAKEFILE = """BOARD_TAG = uno
ARDUINO_DIR = /usr/share/arduino
USER_LIB_PATH = {libraries}
ARDUINO_LIBS = {libs}
CFLAGS_STD = -std=gnu11
CXXFLAGS_STD = -std=gnu++11 -fno-threadsafe-statics -DDECIMAL_DIG=__DECIMAL_DIG__
include /usr/share/arduino/Arduino.mk
"""


def build_sketch(folder, libs="SP0256", env=None):
    """The sketch's ELF, built with arduino-mk as the IDE would."""
    with open(os.path.join(folder, "Makefile"), "w") as f:
        f.write(MAKEFILE.format(libraries=os.path.join(ROOT, "firmware"), libs=libs))
    res = subprocess.run(["make", "-s", "-C", folder], capture_output=True, text=True,
                         timeout=600, env=env)
    if res.returncode != 0:
        raise AssertionError(res.stdout + res.stderr)
    name = os.path.basename(folder)
    return os.path.join(folder, "build-uno", name + "_.elf")


def make_example(tmp, name, *settings):
    """The example's ELF, built by its own Makefile beside a copy of the driver, as they lie in
    the tree."""
    shutil.copytree(os.path.join(ROOT, "firmware", "SP0256"), os.path.join(tmp, "SP0256"))
    folder = os.path.join(tmp, "examples", name)
    shutil.copytree(os.path.join(ROOT, "firmware", "examples", name), folder)
    res = subprocess.run(["make", "-s", "-C", folder, *settings], capture_output=True, text=True,
                         timeout=600)
    if res.returncode != 0:
        raise AssertionError(res.stdout + res.stderr)
    return glob.glob(os.path.join(folder, "build-*", name + "_.elf"))[0]


def run_simulate(*args):
    """tessary simulate's result, what the chip said [(ms, mnemonic)] and the watched pins'
    changes [(ms, pin, level)]."""
    res = subprocess.run([TESSARY, "simulate", *args], capture_output=True, text=True,
                         timeout=600)
    said, pins = [], []
    for line in res.stdout.splitlines():
        at, what = line.split()
        if "=" in what:
            pin, level = what.split("=")
            pins.append((float(at), pin, int(level)))
        else:
            said.append((float(at), what))
    return res, said, pins


# The chip's allophones in code order, from `tessary list --json`.
MNEMONICS = [e["mnemonic"] for e in json.loads(subprocess.run(
    [TESSARY, "list", "--json"], capture_output=True, text=True, check=True).stdout)]


def spelled(text):
    """The allophones `tessary spell` gives the text."""
    return subprocess.run([TESSARY, "spell", text], capture_output=True, text=True, check=True,
                          env=dict(os.environ, XDG_CONFIG_HOME="/nonexistent")).stdout.split()


def simulate(elf, starts, seconds=120):
    """The codes the modelled chip starts, once it has started `starts` of them."""
    with tempfile.TemporaryDirectory() as tmp:
        log = os.path.join(tmp, "chip.log")
        sim = subprocess.Popen([CHIP_SIM, elf, log], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
        try:
            deadline = time.monotonic() + seconds
            events = []
            while time.monotonic() < deadline:
                if os.path.exists(log):
                    with open(log) as f:
                        events = [line.split() for line in f]
                if sum(e[0] == "start" for e in events) >= starts:
                    break
                time.sleep(0.1)
        finally:
            sim.kill()
            sim.wait()
        return events


class Sketches(unittest.TestCase):
    def test_the_drivers_example_speaks(self):
        with tempfile.TemporaryDirectory() as tmp:
            folder = os.path.join(tmp, "HelloChip")
            shutil.copytree(os.path.join(ROOT, "firmware", "SP0256", "examples", "HelloChip"),
                            folder)
            events = simulate(build_sketch(folder), starts=10)
        said = [int(e[1]) for e in events if e[0] == "start"]
        self.assertEqual(said[:10], [27, 7, 45, 53, 0] * 2)  # hh1 eh ll ow pa1, twice
        self.assertFalse([e for e in events if e[0] == "violation"])

    def test_a_sketch_from_a_vocabulary_says_every_entry(self):
        vocabulary = ("hello = hh1 eh ll ow pa1\ncount: count\ndelay: delay\n"
                      "twelve o'clock\nsetup: set up the alarm\n")
        env = dict(os.environ, XDG_CONFIG_HOME="/nonexistent")
        expected = []
        for line in vocabulary.splitlines():
            args = (line.split("=")[1].split() if "=" in line
                    else ["--text", line.split(":")[-1]])
            codes = subprocess.run([TESSARY, "codes", "--format", "dec", *args], env=env,
                                   capture_output=True, text=True, check=True).stdout
            expected += [int(c) for c in codes.split(", ")]
        with tempfile.TemporaryDirectory() as tmp:
            source = os.path.join(tmp, "alarm.txt")
            with open(source, "w") as f:
                f.write(vocabulary)
            folder = os.path.join(tmp, "Alarm")
            res = subprocess.run([TESSARY, "vocab", "--format", "sketch", "--output", folder,
                                  source], env=env, capture_output=True, text=True)
            self.assertEqual((res.returncode, res.stderr), (0, ""))
            self.assertEqual(sorted(os.listdir(folder)),
                             [".tessary-sketch", "Alarm.ino", "Makefile", "SP0256.c", "SP0256.h",
                              "SP0256_arduino.cpp", "SP0256_avr.c", "SP0256_tables.h", "alarm.h"])
            # Its own Makefile builds it as it is: `make` is the whole road.
            res = subprocess.run(["make", "-s", "-C", folder], capture_output=True, text=True,
                                 timeout=600)
            self.assertEqual(res.returncode, 0, res.stdout + res.stderr)
            events = simulate(os.path.join(folder, "build-uno", "Alarm_.elf"),
                              starts=len(expected))
        said = [int(e[1]) for e in events if e[0] == "start"]
        self.assertEqual(said, expected)
        self.assertFalse([e for e in events if e[0] == "violation"])

    def test_numbers_as_their_words_spell(self):
        """Every number the generated function says is, code for code, what `tessary codes
        --text` gives for its words, in American and British English."""
        numbers = [0, 7, 21, -13, 101, 110, 1001, 12345, 640, 100000, -999999, 999999]
        env = dict(os.environ, XDG_CONFIG_HOME="/nonexistent")
        for dialect in ("american", "british"):
            with self.subTest(dialect), tempfile.TemporaryDirectory() as tmp:
                folder = os.path.join(tmp, "Numbers")
                os.makedirs(folder)
                source = os.path.join(tmp, "nums.txt")
                with open(source, "w") as f:
                    f.write(f"%numbers {dialect}\nbeep = pa1\n")
                res = subprocess.run([TESSARY, "vocab", "--format", "arduino", "--output",
                                      os.path.join(folder, "nums.h"), source], env=env,
                                     capture_output=True, text=True)
                self.assertEqual((res.returncode, res.stderr), (0, ""))
                with open(os.path.join(folder, "Numbers.ino"), "w") as f:
                    f.write('#include <SP0256.h>\n#include "nums.h"\n'
                            f"const long numbers[] = {{{', '.join(map(str, numbers))}}};\n"
                            "void setup()\n{\n    sp0256_begin(nullptr);\n"
                            "    for (uint8_t i = 0; i < sizeof numbers / sizeof *numbers; ++i)\n"
                            "        nums_say_number(numbers[i]);\n}\nvoid loop() {}\n")
                expected = []
                for n in numbers:
                    codes = subprocess.run(
                        [TESSARY, "codes", "--format", "dec", "--text",
                         number_words(n, dialect == "british")],
                        env=env, capture_output=True, text=True, check=True).stdout
                    expected += [int(c) for c in codes.split(", ")]
                events = simulate(build_sketch(folder), starts=len(expected))
            said = [int(e[1]) for e in events if e[0] == "start"]
            self.assertEqual(said, expected)

    def test_the_examples_say_their_sentences(self):
        """Each example, built by its own Makefile with Debian's core for the board, says its
        sentence on that board's MCU exactly as `tessary codes --text` spells it."""
        rows = [("Thermometer", ["BOARD_TAG=uno"], "the temperature is twenty one degrees"),
                ("Thermometer", ["BOARD_TAG=mega", "BOARD_SUB=atmega2560"],
                 "the temperature is twenty one degrees"),
                ("Thermometer", ["BOARD_TAG=leonardo"], "the temperature is twenty one degrees"),
                ("Clock", ["BOARD_TAG=uno"], "the time is twelve thirty")]
        for name, board, sentence in rows:
            with self.subTest(f"{name} {board[0]}"), tempfile.TemporaryDirectory() as tmp:
                elf = make_example(tmp, name, *board)
                res, said, _ = run_simulate(elf)
                self.assertEqual((res.returncode, res.stderr), (0, ""))
                self.assertEqual([m for _, m in said], spelled(sentence))

    def test_the_kitchen_timer_keeps_its_time(self):
        """Its button pressed by the simulator, the timer says each sentence within 1 ms of its
        time while the LED's half-second beat never breaks; a second press stops it."""
        minute = [(0, "one minute"), (15000, "forty five seconds"), (30000, "thirty seconds"),
                  (45000, "fifteen seconds"), (60000, "time is up")]
        rows = [("a whole minute", ["D2@1.5"], minute),
                ("stopped", ["D2@1.5", "D2@20"], minute[:2] + [(18500, "stopped")])]
        with tempfile.TemporaryDirectory() as tmp:
            elf = make_example(tmp, "KitchenTimer")
            for name, presses, sentences in rows:
                with self.subTest(name):
                    res, said, pins = run_simulate("--press", ",".join(presses), "--watch", "D13",
                                                   "--seconds", "64", elf)
                    self.assertEqual((res.returncode, res.stderr), (0, ""))
                    words = [spelled(text) for _, text in sentences]
                    self.assertEqual([m for _, m in said], sum(words, []))
                    starts, at = [], 0
                    for w in words:
                        starts.append(said[at][0])
                        at += len(w)
                    # The first from the press, at the core's next millisecond tick.
                    self.assertLess(starts[0] - 1500, 1.1)
                    for (due, text), start in zip(sentences, starts):
                        self.assertLess(abs(start - starts[0] - due), 1.0, text)
                    beats = [t for t, _, _ in pins[1:]]
                    self.assertGreater(len(beats), 120)
                    for a, b in zip(beats, beats[1:]):
                        self.assertLess(abs(b - a - 500), 0.05, f"the LED at {a} ms")

    def test_queued_numbers_and_a_number_first(self):
        """The queued number functions say what the blocking ones do, a number that begins a
        sentence is spelled as in the sentence, and the driver over the Arduino API says it all
        as the one over the port registers."""
        numbers = [0, 21, -13, 12345, -999999]
        sentence = "forty two centimetres"
        env = dict(os.environ, XDG_CONFIG_HOME="/nonexistent")
        program = ('#include <SP0256.h>\n#include "nums.h"\n'
                   f"const long numbers[] = {{{', '.join(map(str, numbers))}}};\n"
                   "uint8_t next = 0;\n"
                   "void setup()\n{\n    sp0256_begin(nullptr);\n"
                   "    nums_queue_number_first(42);\n"
                   "    sp0256_queue(nums_word_centimetres, nums_word_centimetres_length,\n"
                   "                 SP0256_FLASH | SP0256_GAP);\n}\n"
                   "void loop()\n{\n"
                   "    if (sp0256_queue_room() == SP0256_QUEUE && next < 5)\n"
                   "        nums_queue_number(numbers[next++]);\n"
                   "    sp0256_update();\n    sp0256_idle();\n}\n")
        expected = spelled(sentence)
        for n in numbers:
            expected += spelled(number_words(n, False))
        rows = [("port registers", {}), ("Arduino API", {"CPPFLAGS": "-DSP0256_PORTABLE"})]
        for name, flags in rows:
            with self.subTest(name), tempfile.TemporaryDirectory() as tmp:
                folder = os.path.join(tmp, "Numbers")
                os.makedirs(folder)
                source = os.path.join(tmp, "nums.txt")
                with open(source, "w") as f:
                    f.write("%numbers\ncentimetres\n")
                subprocess.run([TESSARY, "vocab", "--format", "arduino", "--output",
                                os.path.join(folder, "nums.h"), source], env=env, check=True)
                with open(os.path.join(folder, "Numbers.ino"), "w") as f:
                    f.write(program)
                res, said, _ = run_simulate(build_sketch(folder, env=dict(os.environ, **flags)))
                self.assertEqual((res.returncode, res.stderr), (0, ""))
                self.assertEqual([m for _, m in said], expected)

    def test_the_driver_off_avr(self):
        """The driver over the Arduino API and a header in the Arduino form build with this
        machine's compilers, warning-free, against a core with nothing of the AVR's (as an
        ESP32's or an RP2040's), and load what the sentence spells."""
        env = dict(os.environ, XDG_CONFIG_HOME="/nonexistent")
        sentence = "forty two centimetres"
        with tempfile.TemporaryDirectory() as tmp:
            source = os.path.join(tmp, "nums.txt")
            with open(source, "w") as f:
                f.write("%numbers\ncentimetres\n")
            subprocess.run([TESSARY, "vocab", "--format", "arduino", "--output",
                            os.path.join(tmp, "nums.h"), source], env=env, check=True)
            for name, text in (("Arduino.h", HOST_ARDUINO), ("sketch.cpp", HOST_SKETCH)):
                with open(os.path.join(tmp, name), "w") as f:
                    f.write(text)
            driver = os.path.join(ROOT, "firmware", "SP0256", "src")
            flags = ["-DARDUINO=10819", "-Wall", "-Wextra", "-Werror", f"-I{tmp}", f"-I{driver}"]
            objects = []
            for compiler, path in (("gcc", os.path.join(driver, "SP0256.c")),
                                   ("gcc", os.path.join(driver, "SP0256_avr.c")),
                                   ("g++", os.path.join(driver, "SP0256_arduino.cpp")),
                                   ("g++", os.path.join(tmp, "sketch.cpp"))):
                objects.append(os.path.join(tmp, os.path.basename(path) + ".o"))
                subprocess.run([compiler, *flags, "-c", "-o", objects[-1], path], check=True)
            program = os.path.join(tmp, "sketch")
            subprocess.run(["g++", "-o", program, *objects], check=True)
            loaded = subprocess.run([program], capture_output=True, text=True, check=True)
        codes = subprocess.run([TESSARY, "codes", "--format", "dec", "--text", sentence],
                               env=env, capture_output=True, text=True, check=True).stdout
        self.assertEqual(loaded.stdout.split(), codes.replace(",", " ").split() * 2)

    def test_a_board_without_default_wiring(self):
        """A sketch for a board the driver has no wiring for fails to build, naming the MCU,
        until it says it brings its own map."""
        driver = os.path.join(ROOT, "firmware", "SP0256", "src")
        with tempfile.TemporaryDirectory() as tmp:
            source = os.path.join(tmp, "own.c")
            with open(source, "w") as f:
                f.write('#include "SP0256.h"\nint main(void) { sp0256_begin(0); return 0; }\n')
            rows = [("no map", [], 1), ("its own map", ["-DSP0256_NO_DEFAULT_PINS"], 0)]
            for name, defines, status in rows:
                with self.subTest(name):
                    res = subprocess.run(["avr-gcc", "-mmcu=atmega644p", "-Os", *defines,
                                          f"-I{driver}", "-c", "-o", source + ".o", source],
                                         capture_output=True, text=True)
                    self.assertEqual(res.returncode, status, res.stderr)
                    if status:
                        self.assertIn("the MCU built for is the atmega644p", res.stderr)
                        self.assertIn("no default wiring", res.stderr)

    def test_a_vocabulary_said_to_fit_the_uno_fits(self):
        """The largest vocabulary vocab lets through for the Uno builds within its flash; one
        entry more is refused with the figures, before the linker."""
        env = dict(os.environ, XDG_CONFIG_HOME="/nonexistent")
        entry = " ".join(["aa"] * 8)  # 8 codes, and 4 bytes of the table

        def vocab(tmp, count):
            source = os.path.join(tmp, "fit.txt")
            with open(source, "w") as f:
                f.write("".join(f"w{i} = {entry}\n" for i in range(count)))
            return subprocess.run([TESSARY, "vocab", "--format", "sketch", "--output",
                                   os.path.join(tmp, "Fit"), source], env=env,
                                  capture_output=True, text=True)
        most = (32256 - 1800) // 12
        with tempfile.TemporaryDirectory() as tmp:
            res = vocab(tmp, most + 1)
            self.assertEqual(res.returncode, 1)
            self.assertIn("too many", res.stderr)
            self.assertFalse(os.path.exists(os.path.join(tmp, "Fit")))
            self.assertEqual(vocab(tmp, most).returncode, 0)
            folder = os.path.join(tmp, "Fit")
            res = subprocess.run(["make", "-s", "-C", folder], capture_output=True, text=True,
                                 timeout=600)
            self.assertEqual(res.returncode, 0, res.stderr)
            size = subprocess.run(["avr-size", os.path.join(folder, "build-uno", "Fit_.elf")],
                                  capture_output=True, text=True, check=True).stdout
            text, data = map(int, size.splitlines()[1].split()[:2])
            self.assertLessEqual(text + data, 32256)


UNITS = ("zero one two three four five six seven eight nine ten eleven twelve thirteen "
         "fourteen fifteen sixteen seventeen eighteen nineteen").split()
TENS = "twenty thirty forty fifty sixty seventy eighty ninety".split()


def number_words(n, british):
    """An integer in English words, as a person writes it out."""
    def below(k, and_first):
        words = []
        if k >= 100:
            words += [UNITS[k // 100], "hundred"]
            k %= 100
            words += ["and"] if k and british else []
        elif and_first and k and british:
            words.append("and")
        if k >= 20:
            words.append(TENS[k // 10 - 2])
            k %= 10
        return words + ([UNITS[k]] if k else [])
    words = ["minus"] if n < 0 else []
    n = abs(n)
    if n == 0:
        return "zero"
    if n >= 1000:
        words += below(n // 1000, False) + ["thousand"]
    return " ".join(words + below(n % 1000, n >= 1000))


BREACHES = r"""
#include "SP0256.h"
#include <avr/io.h>
int main(void)
{
    sp0256_begin(0);
#ifdef UNDRIVEN
    DDRC &= 0xF0; /* A1-A4 let go */
    sp0256_say(5);
#else
    /* Two loads a microsecond apart, ALD pulsed by hand: LRQ is still high for the second. */
    PORTC = 5;
    PORTB &= (uint8_t)~1;
    PORTB |= 1;
    PORTC = 6;
    PORTB &= (uint8_t)~1;
    PORTB |= 1;
#endif
    sp0256_wait();
    for (;;) {}
}
"""


# An Arduino core with nothing of the AVR's, for the driver built on this machine.
HOST_ARDUINO = r"""
#pragma once
#include <stdint.h>
#define HIGH 1
#define LOW 0
#define INPUT 0
#define OUTPUT 1
#ifdef __cplusplus
extern "C" {
#endif
void pinMode(uint8_t pin, uint8_t mode);
void digitalWrite(uint8_t pin, uint8_t level);
int digitalRead(uint8_t pin);
void delayMicroseconds(unsigned int us);
unsigned long millis(void);
#ifdef __cplusplus
}
#endif
"""

# Its pins: a chip that is always ready and silent; each fall of ALD (pin 8) prints the address
# on pins 2-7. The sentence is queued, then said again by the blocking calls.
HOST_SKETCH = r"""
#define SP0256_NO_DEFAULT_PINS
#include "Arduino.h"
#include "SP0256.h"
#include "nums.h"
#include <stdio.h>
static uint8_t levels[32];
void pinMode(uint8_t, uint8_t) {}
void digitalWrite(uint8_t pin, uint8_t level)
{
    if (pin == 8 && levels[8] && !level) {
        int code = 0;
        for (int i = 0; i < 6; ++i)
            code |= levels[2 + i] << i;
        printf("%d\n", code);
    }
    levels[pin] = level;
}
int digitalRead(uint8_t pin) { return pin == 10 ? HIGH : LOW; }
void delayMicroseconds(unsigned int) {}
unsigned long millis(void) { static unsigned long now; return now++; }
int main()
{
    const sp0256_pins pins = {{2, 3, 4, 5, 6, 7}, 8, 9, 10, 11};
    sp0256_begin(&pins);
    if (!nums_queue_number_first(42) ||
        !sp0256_queue(nums_word_centimetres, nums_word_centimetres_length, SP0256_FLASH | SP0256_GAP))
        return 1;
    while (sp0256_talking())
        sp0256_update();
    return !(nums_say_number_first(42) &&
             sp0256_say_gap_before(pgm_read_byte(&nums_word_centimetres[0])) &&
             sp0256_say_codes_P(nums_word_centimetres, nums_word_centimetres_length));
}
"""

# A timer interrupt toggles D13 (PB5) every 10 us while the driver changes ALD (PB0) on the
# same port: a change of ALD that an interrupt came between would undo the toggle.
OTHER_PIN = r"""
#include <avr/interrupt.h>
#include <avr/io.h>
#include "SP0256.h"
ISR(TIMER2_COMPA_vect)
{
    PINB = _BV(PB5);
}
int main(void)
{
    static const uint8_t hello[] = {0x1B, 0x07, 0x2D, 0x35, 0x00};
    uint8_t i;
    DDRB |= _BV(PB5);
    TCCR2A = _BV(WGM21); /* CTC at 16 MHz / 8, every 20 counts */
    OCR2A = 19;
    TCCR2B = _BV(CS21);
    TIMSK2 = _BV(OCIE2A);
    sei();
    sp0256_begin(0);
    for (i = 0; i < 20; ++i)
        sp0256_say_codes(hello, sizeof hello);
    sp0256_wait();
    TIMSK2 = 0;
    for (;;) {}
}
"""

# The Mega's A0 read once at each of three times: the reading's high and low six bits said.
ANALOG = r"""
#include <avr/io.h>
#include <util/delay.h>
#include "SP0256.h"
int main(void)
{
    uint8_t i;
    sp0256_begin(0);
    ADMUX = _BV(REFS0); /* AVCC, channel 0 */
    ADCSRA = _BV(ADEN) | _BV(ADPS2) | _BV(ADPS1) | _BV(ADPS0);
    for (i = 0; i < 3; ++i) {
        uint16_t reading;
        _delay_ms(400);
        ADCSRA |= _BV(ADSC);
        while (ADCSRA & _BV(ADSC)) {}
        reading = ADC;
        sp0256_say((uint8_t)(reading >> 6));
        sp0256_say((uint8_t)(reading & 63));
        sp0256_wait();
    }
    for (;;) {}
}
"""


class Simulate(unittest.TestCase):
    """tessary simulate as a firmware author runs it on their own ELF."""

    def simulate(self, *args):
        return subprocess.run([TESSARY, "simulate", *args], capture_output=True, text=True,
                              timeout=300)

    def firmware(self, tmp, *defines, program=BREACHES, mcu="atmega328p"):
        source = os.path.join(tmp, "breach.c")
        with open(source, "w") as f:
            f.write(program)
        elf = os.path.join(tmp, "breach.elf")
        driver = os.path.join(ROOT, "firmware", "SP0256", "src")
        subprocess.run(["avr-gcc", f"-mmcu={mcu}", "-DF_CPU=16000000UL", "-Os",
                        *defines, f"-I{driver}", "-o", elf, source,
                        os.path.join(driver, "SP0256.c"), os.path.join(driver, "SP0256_avr.c")],
                       check=True)
        return elf

    def test_what_the_chip_said_and_every_breach(self):
        with tempfile.TemporaryDirectory() as tmp:
            folder = os.path.join(tmp, "HelloChip")
            shutil.copytree(os.path.join(ROOT, "firmware", "SP0256", "examples", "HelloChip"),
                            folder)
            wav = os.path.join(tmp, "said.wav")
            res = self.simulate("--seconds", "1.2", "--output", wav, build_sketch(folder))
            self.assertEqual((res.returncode, res.stderr), (0, ""))
            lines = [line.split() for line in res.stdout.splitlines()]
            self.assertEqual([m for _, m in lines], ["hh1", "eh", "ll", "ow", "pa1"])
            times = [float(t) for t, _ in lines]
            self.assertEqual(times, sorted(times))
            self.assertTrue(os.path.getsize(wav) > 44)
            rows = [("a load while LRQ is high", [], "a load while LRQ was high (5 waiting)"),
                    ("an address line let go", ["-DUNDRIVEN"], "A1 undriven")]
            for name, defines, breach in rows:
                with self.subTest(name):
                    res = self.simulate("--seconds", "1", self.firmware(tmp, *defines))
                    self.assertEqual(res.returncode, 1, res.stderr)
                    self.assertRegex(res.stderr, r"tessary: \d+\.\d ms: " + re.escape(breach))

    def test_another_pin_of_the_port_keeps_its_pattern(self):
        with tempfile.TemporaryDirectory() as tmp:
            res, said, pins = run_simulate("--watch", "D13",
                                           self.firmware(tmp, program=OTHER_PIN))
        self.assertEqual((res.returncode, len(said)), (0, 100))
        beats = [t for t, _, _ in pins[1:]]
        self.assertGreater(len(beats), 100000)
        gaps = [b - a for a, b in zip(beats, beats[1:])]
        self.assertLess(max(abs(g - 0.010) for g in gaps), 0.0025)

    def test_analog_readings_on_the_mega(self):
        """An ATmega2560's firmware runs on the Mega with its default wiring, and reads on A0
        what --analog puts there, when it puts it."""
        with tempfile.TemporaryDirectory() as tmp:
            elf = self.firmware(tmp, program=ANALOG, mcu="atmega2560")
            res, said, _ = run_simulate("--analog", "A0=1,A0=512@0.6,A0=1023@1.2", elf)
        self.assertEqual((res.returncode, res.stderr), (0, ""))
        codes = {m: c for c, m in enumerate(MNEMONICS)}
        self.assertEqual([codes[m] for _, m in said], [0, 1, 8, 0, 15, 63])

    def test_files_that_are_no_firmware_for_the_board(self):
        with tempfile.TemporaryDirectory() as tmp:
            other = os.path.join(tmp, "m644.elf")
            source = os.path.join(tmp, "m.c")
            with open(source, "w") as f:
                f.write("int main(void) { for (;;) {} }\n")
            subprocess.run(["avr-gcc", "-mmcu=atmega644p", "-o", other, source], check=True)
            rows = [("a text file", "/etc/passwd", 2, "not an ELF file"),
                    ("a program of this machine", sys.executable, 2, "another processor"),
                    ("an ATmega644P's firmware", other, 2, "built for the atmega644p"),
                    ("no such file", os.path.join(tmp, "none.elf"), 1, "No such file")]
            for name, path, status, message in rows:
                with self.subTest(name):
                    res = self.simulate(path)
                    self.assertEqual((res.returncode, res.stdout), (status, ""))
                    self.assertIn(message, res.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
