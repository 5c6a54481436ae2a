"""Firmware a user builds as the Arduino IDE would: the SP0256 driver's example, and a sketch
that `tessary vocab --format sketch` wrote, compiled with Debian's Arduino core (arduino-mk,
the Uno's settings) and run on the simulated board, which must hear exactly the allophones
they hold, in order, with no breach of the chip's rules."""

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


def build_sketch(folder, libs="SP0256"):
    """The sketch's ELF, built with arduino-mk as the IDE would."""
    with open(os.path.join(folder, "Makefile"), "w") as f:
        f.write(MAKEFILE.format(libraries=os.path.join(ROOT, "firmware"), libs=libs))
    res = subprocess.run(["make", "-s", "-C", folder], capture_output=True, text=True,
                         timeout=600)
    if res.returncode != 0:
        raise AssertionError(res.stdout + res.stderr)
    name = os.path.basename(folder)
    return os.path.join(folder, "build-uno", name + "_.elf")


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
        """The thermometer and the clock, their headers made from their word lists, say their
        sentences exactly as `tessary codes --text` spells them."""
        env = dict(os.environ, XDG_CONFIG_HOME="/nonexistent")
        rows = [("Thermometer", "thermometer", "the temperature is twenty one degrees"),
                ("Clock", "clock", "the time is twelve thirty")]
        for name, stem, sentence in rows:
            with self.subTest(name), tempfile.TemporaryDirectory() as tmp:
                folder = os.path.join(tmp, name)
                shutil.copytree(os.path.join(ROOT, "firmware", "examples", name), folder)
                res = subprocess.run([TESSARY, "vocab", "--format", "arduino", "--output",
                                      os.path.join(folder, stem + ".h"),
                                      os.path.join(folder, stem + ".txt")], env=env,
                                     capture_output=True, text=True)
                self.assertEqual((res.returncode, res.stderr), (0, ""))
                codes = subprocess.run([TESSARY, "codes", "--format", "dec", "--text", sentence],
                                       env=env, capture_output=True, text=True, check=True)
                expected = [int(c) for c in codes.stdout.split(", ")]
                events = simulate(build_sketch(folder), starts=len(expected))
                said = [int(e[1]) for e in events if e[0] == "start"]
                self.assertEqual(said, expected)
                self.assertFalse([e for e in events if e[0] == "violation"])


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


class Simulate(unittest.TestCase):
    """tessary simulate as a firmware author runs it on their own ELF."""

    def simulate(self, *args):
        return subprocess.run([TESSARY, "simulate", *args], capture_output=True, text=True,
                              timeout=300)

    def firmware(self, tmp, *defines):
        source = os.path.join(tmp, "breach.c")
        with open(source, "w") as f:
            f.write(BREACHES)
        elf = os.path.join(tmp, "breach.elf")
        driver = os.path.join(ROOT, "firmware", "SP0256", "src")
        subprocess.run(["avr-gcc", "-mmcu=atmega328p", "-DF_CPU=16000000UL", "-Os",
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

    def test_files_that_are_no_firmware_for_the_board(self):
        with tempfile.TemporaryDirectory() as tmp:
            mega = os.path.join(tmp, "mega.elf")
            source = os.path.join(tmp, "m.c")
            with open(source, "w") as f:
                f.write("int main(void) { for (;;) {} }\n")
            subprocess.run(["avr-gcc", "-mmcu=atmega2560", "-o", mega, source], check=True)
            rows = [("a text file", "/etc/passwd", 2, "not an ELF file"),
                    ("a program of this machine", sys.executable, 2, "another processor"),
                    ("an ATmega2560's firmware", mega, 2, "built for the atmega2560"),
                    ("no such file", os.path.join(tmp, "none.elf"), 1, "No such file")]
            for name, path, status, message in rows:
                with self.subTest(name):
                    res = self.simulate(path)
                    self.assertEqual((res.returncode, res.stdout), (status, ""))
                    self.assertIn(message, res.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
