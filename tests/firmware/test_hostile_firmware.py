"""`tessary simulate` on firmware a user downloaded or a friend built: whatever the file holds,
it ends with 0, 1 or 2 (never a signal), writes nothing but what the user named, keeps its
standard error to a few lines, and says what the CPU did wrong with its time and address."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import firmware_corpus  # noqa: E402

TESSARY = os.environ.get("TESSARY_CLI", "tessary")
# Random changes in the test; tools/sweep-firmware runs hundreds.
RANDOM_COPIES = int(os.environ.get("HOSTILE_RANDOM_COPIES", "24"))
MOST_LINES = 40

FLOOD = r"""
#include <avr/io.h>
int main(void)
{
    DDRB = DDRC = DDRD = 0xFF;
    for (;;) { PORTB ^= 0xFF; PORTC ^= 0xFF; PORTD ^= 0xFF; }
}
"""


class HostileFirmware(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="tessary-hostile-")
        # A folder that exists: a simulator that obeys the firmware could write there.
        os.mkdir(os.path.join(cls.tmp, "written"))
        cls.written = os.path.join(cls.tmp, "written", "trace.vcd")
        cls.good = firmware_corpus.build(cls.tmp, "good")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def simulate(self, elf_bytes, *args):
        """Runs simulate on the bytes from an empty folder of its own; the folder must stay
        as it was, and so must $TMPDIR."""
        with tempfile.TemporaryDirectory(dir=self.tmp) as run:
            elf = os.path.join(run, "firmware.elf")
            with open(elf, "wb") as f:
                f.write(elf_bytes)
            scratch = os.path.join(run, "tmp")
            os.mkdir(scratch)
            res = subprocess.run([TESSARY, "simulate", "--seconds", "1", *args, elf], cwd=run,
                                 capture_output=True, text=True, timeout=120,
                                 env=dict(os.environ, TMPDIR=scratch, PULSE_SERVER="none",
                                          SDL_AUDIODRIVER="none-such"))
            left = sorted(os.listdir(run)), os.listdir(scratch)
            with open(elf, "rb") as f:
                unchanged = f.read() == elf_bytes
        self.assertEqual(left, (["firmware.elf", "tmp"], []), "a file was written")
        self.assertTrue(unchanged, "the firmware was written over")
        self.assertGreaterEqual(res.returncode, 0, "ended by signal %d" % -res.returncode)
        self.assertLessEqual(res.stderr.count("\n"), MOST_LINES, res.stderr[:2000])
        return res

    def check(self, rows):
        for name, elf, statuses, line in rows:
            with self.subTest(name):
                res = self.simulate(elf)
                self.assertIn(res.returncode, statuses, res.stderr)
                self.assertIn(line, res.stderr)
                if res.returncode == 2:
                    self.assertEqual((res.stdout, res.stderr.count("\n")), ("", 1), res.stderr)
                self.assertFalse(os.path.exists(self.written), "the trace file was written")

    def test_firmware_that_misbehaves(self):
        self.check(firmware_corpus.programs(self.tmp, self.written))

    def test_damaged_files(self):
        self.check(firmware_corpus.damaged(self.good, RANDOM_COPIES))

    def test_a_flood_of_breaches_is_summed_up(self):
        source = os.path.join(self.tmp, "flood.c")
        with open(source, "w") as f:
            f.write(FLOOD)
        elf = os.path.join(self.tmp, "flood.elf")
        subprocess.run(["avr-gcc", "-mmcu=atmega328p", "-Os", "-o", elf, source], check=True)
        with open(elf, "rb") as f:
            res = self.simulate(f.read(), "--seconds", "3")
        self.assertEqual(res.returncode, 1)
        lines = res.stderr.splitlines()
        self.assertIn("more: an address line changed while ALD was low", res.stderr)
        # Three of each rule in full, then a count of each rule for each second.
        self.assertLessEqual(len(lines), 4 * 3 + 4 * 3, res.stderr)

    def test_outputs_that_are_inputs_and_a_play_without_sound(self):
        res = self.simulate(self.good, "--output", "firmware.elf")
        self.assertEqual(res.returncode, 2)
        self.assertIn("is the firmware itself", res.stderr)
        # No sound output: the sound made for --play goes with the failure.
        res = self.simulate(self.good, "--play")
        self.assertEqual(res.returncode, 1)
        self.assertIn("no sound output", res.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
