"""Firmware a user builds as the Arduino IDE would: the SP0256 driver's example, and a sketch
that `tessary vocab --format sketch` wrote, compiled with Debian's Arduino core (arduino-mk,
the Uno's settings) and run on the simulated board, which must hear exactly the allophones
they hold, in order, with no breach of the chip's rules."""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
CHIP_SIM = os.environ["CHIP_SIM"]
TESSARY = os.environ.get("TESSARY_CLI", "tessary")
DURATIONS = os.path.join(ROOT, "data", "al2-durations.tsv")

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
        sim = subprocess.Popen([CHIP_SIM, elf, DURATIONS, log], stdout=subprocess.DEVNULL,
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
        self.assertEqual(said[:10], [27, 7, 45, 53, 2] * 2)  # hh1 eh ll ow pa3, twice
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
                             ["Alarm.ino", "SP0256.c", "SP0256.h", "alarm.h"])
            events = simulate(build_sketch(folder, libs=""), starts=len(expected))
        said = [int(e[1]) for e in events if e[0] == "start"]
        self.assertEqual(said, expected)
        self.assertFalse([e for e in events if e[0] == "violation"])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
