"""`tessary` as a shell user runs it: formats, spelling with the user's word list, rendering,
and wrong command lines (exit status 2, one line on standard error, nothing on standard output)."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import wave

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import plant_libraries, tone, write_wav  # noqa: E402

TESSARY = os.environ.get("TESSARY_CLI", "tessary")
WORD = ["hh1", "eh", "ll", "ow"]
LENGTHS_MS = {"hh1": 100, "eh": 60, "ll": 80, "ow": 170}  # the test set, at 22050 Hz
RATE = 22050


class CommandLine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="tessary-cli-")
        set_dir = os.path.join(cls.tmp, "data", "quorlin-tessary", "Set")
        os.makedirs(set_dir)
        for stem, ms in LENGTHS_MS.items():
            write_wav(os.path.join(set_dir, stem + ".wav"), tone(ms, rate=RATE), RATE)
        cls.fifo = os.path.join(cls.tmp, "fifo")
        os.mkfifo(cls.fifo)
        cls.config = os.path.join(cls.tmp, "config")
        os.makedirs(os.path.join(cls.config, "quorlin-tessary"))
        cls.env = dict(os.environ, XDG_DATA_HOME=os.path.join(cls.tmp, "data"),
                       XDG_DATA_DIRS=os.path.join(cls.tmp, "none"), XDG_CONFIG_HOME=cls.config,
                       PULSE_SERVER="unix:/nonexistent", SDL_AUDIODRIVER="dummy")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def tessary(self, *args):
        return subprocess.run([TESSARY, *args], env=self.env, capture_output=True, text=True,
                              timeout=60)

    def test_formats(self):
        rows = {
            "dollar": "$1B$07$2D$35",
            "hex": "0x1B, 0x07, 0x2D, 0x35",
            "dec": "27, 7, 45, 53",
            "c": "const uint8_t word[] = { 0x1B, 0x07, 0x2D, 0x35 };",
            "basic": "DATA 27,7,45,53",
        }
        for fmt, expected in rows.items():
            with self.subTest(fmt):
                res = self.tessary("codes", "--format", fmt, *WORD)
                self.assertEqual((res.returncode, res.stdout, res.stderr), (0, expected + "\n", ""))
        # Every way of naming an item gives the same codes.
        res = self.tessary("codes", "HH1", "$07", "45", "0x35")
        self.assertEqual(res.stdout, "$1B$07$2D$35\n")

    def test_c_array_compiles(self):
        array = self.tessary("codes", "--format", "c", "--text", "hello world").stdout
        source = os.path.join(self.tmp, "word.c")
        with open(source, "w") as f:
            f.write("#include <stdint.h>\n" + array +
                    "int main(void) { return sizeof word == 0; }\n")
        exe = os.path.join(self.tmp, "word")
        cc = subprocess.run(["cc", "-std=c99", "-Wall", "-Werror", "-pedantic", "-o", exe, source],
                            capture_output=True, text=True)
        self.assertEqual(cc.returncode, 0, cc.stderr)
        self.assertEqual(subprocess.run([exe]).returncode, 0)

    def test_spell_with_the_users_words(self):
        words = os.path.join(self.config, "quorlin-tessary", "words")
        with open(words, "w") as f:
            f.write("# my words\nworld ww er1 ll dd1\nbad xx yy\n")
        try:
            res = self.tessary("spell", "Hello", "world")
        finally:
            os.remove(words)
        self.assertEqual(res.returncode, 0)
        self.assertEqual(res.stdout, "hh1 eh ll ow pa3 ww er1 ll dd1 pa1\n")
        self.assertIn(f"{words}:3: 'xx' is not an allophone", res.stderr)

    def test_hostile_word_lists(self):
        """Whatever lies at the word list's path, spelling goes on within a second without it,
        and one line names the file and what is wrong with it."""
        words = os.path.join(self.config, "quorlin-tessary", "words")
        big = os.path.join(self.tmp, "big-words")
        with open(big, "w") as f:
            f.write("# " + "x" * (1024 * 1024) + "\n")
        rows = [
            ("fifo", lambda: os.mkfifo(words), "is a FIFO"),
            ("link to /dev/zero", lambda: os.symlink("/dev/zero", words), "is a device"),
            ("directory", lambda: os.mkdir(words), "is a directory"),
            ("link loop", lambda: os.symlink(words, words), "Too many levels of symbolic links"),
            ("over the limit", lambda: os.symlink(big, words), "larger than the limit of 1 MiB"),
        ]
        for name, make, message in rows:
            with self.subTest(name):
                make()
                try:
                    start = time.monotonic()
                    res = self.tessary("spell", "hello")
                    took = time.monotonic() - start
                finally:
                    (os.rmdir if os.path.isdir(words) and not os.path.islink(words)
                     else os.remove)(words)
                self.assertLess(took, 1.0)
                self.assertEqual((res.returncode, res.stdout), (0, "hh1 eh ll ow pa1\n"))
                self.assertRegex(res.stderr, f"^tessary: {re.escape(words)}: .*; the word list is "
                                             "skipped\n$")
                self.assertIn(message, res.stderr)

    def test_no_library_from_the_working_directory(self):
        """A library planted under each name the program needs, in the folder it runs in, is
        never loaded: the programs carry no RUNPATH that could name that folder."""
        needed = subprocess.run(["readelf", "-d", TESSARY], capture_output=True, text=True).stdout
        self.assertNotIn("RUNPATH", needed)
        self.assertNotIn("RPATH", needed)
        plant = os.path.join(self.tmp, "plant")
        os.makedirs(plant)
        # espeak-ng is loaded when the program first spells, by its name alone.
        plant_libraries(plant, re.findall(r"Shared library: \[(.+?)\]", needed) +
                        ["libespeak-ng.so.1"])
        res = subprocess.run([TESSARY, "spell", "hello"], env=self.env, cwd=plant,
                             capture_output=True, text=True, timeout=60)
        self.assertEqual((res.returncode, res.stdout, res.stderr), (0, "hh1 eh ll ow pa1\n", ""))

    def render_frames(self, *args):
        out = os.path.join(self.tmp, "out.wav")
        res = self.tessary("render", "--output", out, *args)
        self.assertEqual(res.returncode, 0, res.stderr)
        with wave.open(out) as w:
            self.assertEqual((w.getframerate(), w.getnchannels(), w.getsampwidth()), (RATE, 1, 2))
            return w.getnframes()

    def test_render_lengths(self):
        frames = {stem: RATE * ms // 1000 for stem, ms in LENGTHS_MS.items()}
        # End to end: the sum of the samples.
        self.assertEqual(self.render_frames(*WORD), sum(frames[s] for s in WORD))
        # One pace apart: each cut off by the next, the last whole.
        self.assertEqual(self.render_frames("--pace", "30", *WORD),
                         3 * RATE * 30 // 1000 + frames["ow"])

    def test_wrong_command_lines(self):
        rows = [
            ("unknown command", ["frobnicate"], "argument 1, 'frobnicate'"),
            ("unknown option", ["codes", "--fmt", "c", "hh1"], "argument 2, '--fmt'"),
            ("option without its value", ["codes", "hh1", "--format"], "argument 3, '--format'"),
            ("unknown format", ["codes", "--format", "pascal", "hh1"], "argument 3, 'pascal'"),
            ("unknown mnemonic", ["codes", "hh1", "xx1"], "item 2, 'xx1'"),
            ("code out of range", ["codes", "hh1", "eh", "64"], "item 3, '64'"),
            ("code text out of range", ["codes", "$40"], "item 1, '$40'"),
            ("negative number", ["codes", "--", "-1"], "item 1, '-1'"),
            ("pace of zero", ["say", "--pace", "0", "hh1"], "argument 3, '0'"),
            ("pace that is no number", ["render", "--output", "x.wav", "--pace=fast", "hh1"],
             "argument 4, 'fast'"),
            ("no items", ["codes", "--format", "hex"], "no items"),
            ("nothing to spell", ["spell"], "no text"),
            ("render without an output", ["render", "hh1"], "--output"),
            ("list with an argument", ["list", "hh1"], "argument 2, 'hh1'"),
        ]
        for name, args, names in rows:
            with self.subTest(name):
                res = self.tessary(*args)
                self.assertEqual(res.returncode, 2, res.stderr)
                self.assertEqual(res.stdout, "")
                self.assertEqual(res.stderr.count("\n"), 1, res.stderr)
                self.assertIn(names, res.stderr)

    def test_work_that_cannot_be_done(self):
        rows = [
            ("unwritable output", {}, ["render", "--output", os.path.join(self.tmp, "no", "x.wav"),
                                       "hh1"], "x.wav: No such file or directory"),
            ("output is a directory", {}, ["render", "--output", self.tmp, "hh1"],
             "Is a directory"),
            ("output is a device", {}, ["render", "--output", "/dev/null", "hh1"],
             "/dev/null: is a device, not a file to write"),
            ("output is a FIFO without a reader", {}, ["render", "--output", self.fifo, "hh1"],
             "is a FIFO, not a file to write"),
            ("no sound output", {"SDL_AUDIODRIVER": "none-such"}, ["say", "hh1"],
             "no sound output"),
        ]
        for name, env, args, message in rows:
            with self.subTest(name):
                res = subprocess.run([TESSARY, *args], env=dict(self.env, **env),
                                     capture_output=True, text=True, timeout=10)
                self.assertEqual((res.returncode, res.stdout), (1, ""), res.stderr)
                self.assertIn(message, res.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
