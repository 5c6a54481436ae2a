"""`tessary` as a shell user runs it: formats, spelling with the user's word list, rendering,
and wrong command lines (exit status 2, one line on standard error, nothing on standard output)."""

import json
import os
import random
import re
import resource
import shutil
import signal
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
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data",
                       "al2-durations.tsv")) as _f:
    CHIP_US = {row.split("\t")[1].lower(): round(float(row.split("\t")[3]) * 1000)
               for row in list(_f)[1:]}


def chip_frames(stems):
    """An utterance's length at the chip's durations, whatever the samples' own lengths."""
    return sum(CHIP_US[s] for s in stems) * RATE // 1_000_000


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

    def tessary(self, *args, stdin=None):
        return subprocess.run([TESSARY, *args], env=self.env, capture_output=True, text=True,
                              timeout=60, input=stdin)

    def test_text_from_pipes_and_files(self):
        text = os.path.join(self.tmp, "text.txt")
        with open(text, "w") as f:
            f.write("hello\n\nHello, hello.\n")
        hello = "hh1 eh ll ow"
        rows = [
            ("spell from a pipe", ["spell", "-"], "hello\n", f"{hello} pa1\n"),
            ("spell from a file", ["spell", "--file", text], None,
             f"{hello} pa1 {hello} pa4 {hello} pa5\n"),
            ("spell each line", ["spell", "--lines", "--file", text], None,
             f"{hello} pa1\n\n{hello} pa4 {hello} pa5\n"),
            ("codes of text from a pipe", ["codes", "--text", "-"], "hello", "$1B$07$2D$35$00\n"),
            ("codes of items from a pipe", ["codes", "--format", "dec", "-"], "hh1 $07\n45",
             "27, 7, 45\n"),
            ("codes of each line", ["codes", "--lines", "--file", "-"], "hh1 eh\n\nll\n",
             "$1B$07\n\n$2D\n"),
            ("file named -", ["spell", "--file", "-"], "hello", f"{hello} pa1\n"),
        ]
        for name, args, stdin, expected in rows:
            with self.subTest(name):
                res = self.tessary(*args, stdin=stdin)
                self.assertEqual((res.returncode, res.stdout, res.stderr), (0, expected, ""))

    def test_long_input_in_bounded_memory(self):
        """Text and items far longer than a piece are spelled, coded and rendered as the whole
        would be, in bounded memory: the peak is that of a short input, give or take."""
        wav = os.path.join(self.tmp, "long.wav")
        one = "hh1 eh ll ow pa4 hh1 eh ll ow pa5"
        rows = [
            # name, command, a piece of input, copies, what the output must be
            ("spell text", ["spell", "--file"], "Hello, hello. ", 600_000,
             lambda n: " ".join([one] * n) + "\n"),
            ("codes of items", ["codes", "--file"], "hh1 $07 45\n", 800_000,
             lambda n: "$1B$07$2D" * n + "\n"),
            ("render items", ["render", "--pace", "1", "--output", wav, "--file"], "hh1 eh ", 300_000,
             lambda n: ""),
        ]
        # The peak of one process, measured by a parent of its own. A sanitizer's quarantine of
        # freed memory would count every allocation ever made: keep it small.
        measure = ("import resource, subprocess, sys\n"
                   "with open(sys.argv[1], 'w') as out:\n"
                   "    rc = subprocess.run(sys.argv[2:], stdout=out).returncode\n"
                   "print(rc, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss // 1024)\n")
        env = dict(self.env, ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") +
                   ":quarantine_size_mb=4")
        for name, command, piece, copies, expected in rows:
            with self.subTest(name):
                peaks = []
                for n in (1, copies):
                    text = os.path.join(self.tmp, "long.txt")
                    with open(text, "w") as f:
                        f.write(piece * n)
                    out = os.path.join(self.tmp, "long.out")
                    res = subprocess.run([sys.executable, "-c", measure, out, TESSARY, *command,
                                          text], env=env, capture_output=True, text=True,
                                         timeout=600)
                    rc, peak_mib = map(int, res.stdout.split())
                    self.assertEqual(rc, 0, res.stderr)
                    peaks.append(peak_mib)
                with open(out) as f:
                    self.assertEqual(f.read(), expected(copies))
                self.assertLess(peaks[1] - peaks[0], 40, f"{peaks} MiB: the input was held")
        with wave.open(wav) as w:  # one step a millisecond, the last sample whole
            self.assertEqual(w.getnframes(), (2 * 300_000 - 1) * RATE // 1000 + RATE * 60 // 1000)

    def test_endless_input(self):
        """Items from an endless stream of NUL bytes are refused at the first piece, never
        gathered until memory runs out."""
        for args in (["codes", "-"], ["render", "--output", "-", "-"], ["say", "-"]):
            with self.subTest(args[0]):
                with open("/dev/zero", "rb") as zero:
                    res = subprocess.run([TESSARY, *args], env=self.env, stdin=zero,
                                         capture_output=True, timeout=60)
                self.assertEqual((res.returncode, res.stdout), (2, b""), res.stderr)
                self.assertIn(b"is not a mnemonic", res.stderr)

    def test_output_that_cannot_be_written(self):
        """A full disk or a reader that has gone: one line and status 1, never success."""
        for args in (["spell", "hello"], ["codes", "hh1"], ["list"], ["list", "--json"],
                     ["--help"], ["--version"], ["vocab", "-"], ["devices"],
                     ["render", "--output", "-", "hh1"]):
            with self.subTest(" ".join(args)):
                with open("/dev/full", "w") as full:
                    res = subprocess.run([TESSARY, *args], env=self.env, stdout=full,
                                         stderr=subprocess.PIPE, input="hello = hh1\n",
                                         text=True, timeout=60)
                self.assertEqual((res.returncode, res.stderr), (
                    1, "tessary: cannot write to standard output: No space left on device\n"))
        # A reader that has gone, SIGPIPE ignored: the command ends, not reads on to the end.
        proc = subprocess.Popen([TESSARY, "spell", "--lines", "-"], env=self.env,
                                stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE,
                                preexec_fn=lambda: signal.signal(signal.SIGPIPE, signal.SIG_IGN))
        proc.stdout.close()
        try:
            proc.stdin.write(b"hello\n" * 1_000_000)
            proc.stdin.close()
        except BrokenPipeError:
            proc.stdin = None  # closed by the error
        self.assertEqual(proc.wait(timeout=60), 1)
        self.assertIn(b"Broken pipe", proc.stderr.read())
        proc.stderr.close()

    def test_files_written_whole_or_not_at_all(self):
        folder = os.path.join(self.tmp, "atomic")
        os.makedirs(folder)
        old = os.path.join(folder, "old.wav")
        vocabulary = os.path.join(folder, "words.txt")
        for path, text in ((old, "what was there"), (vocabulary, "hello = hh1\n")):
            with open(path, "w") as f:
                f.write(text)
        # A write that fails half-way, as on a full disk: a file size limit of 4 KiB.
        def limit():
            resource.setrlimit(resource.RLIMIT_FSIZE, (4096, 4096))
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        res = subprocess.run([TESSARY, "render", "--output", old, *WORD * 10], env=self.env,
                             capture_output=True, text=True, timeout=60, preexec_fn=limit)
        self.assertEqual(res.returncode, 1)
        self.assertIn("File too large", res.stderr)
        rows = [("vocab", ["vocab", "--output", vocabulary, vocabulary]),
                ("render", ["render", "--file", vocabulary, "--output", vocabulary])]
        for name, args in rows:
            with self.subTest(f"{name}: the output is the input"):
                res = self.tessary(*args)
                self.assertEqual(res.returncode, 2)
                self.assertIn("which it would replace", res.stderr)
        for path, text in ((old, "what was there"), (vocabulary, "hello = hh1\n")):
            with open(path) as f:
                self.assertEqual(f.read(), text)
        self.assertEqual(sorted(os.listdir(folder)), ["old.wav", "words.txt"])

    def test_json_of_any_bytes(self):
        """Every line of --json output is JSON in valid UTF-8, whatever bytes came in."""
        rng = random.Random(7)
        noise = bytes(rng.randrange(256) for _ in range(60_000))
        rows = [("spell", ["spell", "--lines", "--json", "-"], noise),
                ("codes of text", ["codes", "--lines", "--json", "--text", "-"], noise),
                ("codes of items", ["codes", "--lines", "--json", "-"], b"hh1\nxx9\n\xff\xfe\n")]
        for name, args, data in rows:
            with self.subTest(name):
                res = subprocess.run([TESSARY, *args], env=self.env, input=data,
                                     capture_output=True, timeout=300)
                # Strict UTF-8; lines split at "\n" alone (U+2028 may stand in a JSON string).
                lines = res.stdout.decode("utf-8").split("\n")[:-1]
                self.assertEqual(len(lines), data.count(b"\n") + (not data.endswith(b"\n")))
                for line in lines:
                    json.loads(line)

    def test_text_espeak_ng_cannot_take(self):
        """Letters of scripts other than Latin are word breaks for espeak-ng, whose 1.51 reads
        memory it has freed on some of them, and a word runs 64 bytes at the most (a letter, a
        dot and 170 more overflow its stack); checked by the sanitizer, or else by valgrind."""
        sanitized = os.environ.get("TESSARY_SANITIZED") == "1"
        check = [] if sanitized else ["valgrind", "-q", "--error-exitcode=99"]
        rows = [("Hangul", "\u1186", 2, ""),
                ("Cyrillic around English", "\u041f\u0440\u0438 hello \u043c\u0438\u0440", 0,
                 "hh1 eh ll ow pa1\n"),
                ("Japanese between words", "hello\u65e5\u672cworld", 0,
                 "hh1 ax ll ow pa1 ww er2 ll pa1 dd1 pa1\n"),
                ("accents stay", "caf\u00e9", 0, "kk1 ae ff ey pa1\n"),
                ("a letter, a dot and a long word", "x." + "m" * 200, 0, None)]
        for name, text, status, spelled in rows:
            with self.subTest(name):
                res = subprocess.run([*check, TESSARY, "spell", text], env=self.env,
                                     capture_output=True, text=True, timeout=120)
                self.assertEqual(res.returncode, status, res.stderr)
                if spelled is not None:
                    self.assertEqual(res.stdout, spelled)

    def test_render_to_standard_output(self):
        res = subprocess.run([TESSARY, "render", "--output", "-", *WORD], env=self.env,
                             capture_output=True, timeout=60)
        self.assertEqual(res.returncode, 0, res.stderr)
        wav = os.path.join(self.tmp, "stdout.wav")
        with open(wav, "wb") as f:
            f.write(res.stdout)
        with wave.open(wav) as w:
            self.assertEqual(w.getnframes(), chip_frames(WORD))

    def test_json(self):
        rows = [
            ("list", ["list", "--json"], lambda j: (len(j), j[27]["mnemonic"], j[27]["codeText"]),
             (64, "hh1", "$1B")),
            ("spell", ["spell", "--json", "hello"], lambda j: (j["text"], j["codeString"]),
             ("hello", "$1B$07$2D$35$00")),
            ("codes", ["codes", "--json", "--format", "c", *WORD],
             lambda j: (j["codes"], j["formatted"]),
             ([27, 7, 45, 53], "const uint8_t word[] = { 0x1B, 0x07, 0x2D, 0x35 };")),
            ("alternatives", ["spell", "--alternatives", "--json", "hello"],
             lambda j: j[0]["mnemonics"], ["hh1", "eh", "ll", "ow", "pa1"]),
        ]
        for name, args, pick, expected in rows:
            with self.subTest(name):
                res = self.tessary(*args)
                self.assertEqual(res.returncode, 0, res.stderr)
                self.assertEqual(pick(json.loads(res.stdout)), expected)
        # One object a line, the text kept whatever its bytes.
        res = self.tessary("spell", "--lines", "--json", "-", stdin='hello "you"\n\n')
        lines = [json.loads(line) for line in res.stdout.splitlines()]
        self.assertEqual([line["text"] for line in lines], ['hello "you"', ""])
        self.assertEqual(lines[1]["mnemonics"], [])

    def test_alternatives(self):
        """The rules' spelling first, then other spellings, each a valid one, none twice."""
        rows = [("hello", "ll", "el"), ("cat", "kk1", "kk3"), ("live", "ll ih ih vv", None),
                ("wind", "ww ay nn1 dd1", None), ("heating", "pa1 dd2", "pa3 tt2"),
                ("the heating system", "iy pa3 tt2 ih ng", None)]
        for word, has, becomes in rows:
            with self.subTest(word):
                res = self.tessary("spell", "--alternatives", *word.split())
                self.assertEqual(res.returncode, 0, res.stderr)
                lines = [line.split("  ") for line in res.stdout.splitlines()]
                spellings = [mnemonics for mnemonics, _ in lines]
                self.assertEqual(spellings[0] + "\n", self.tessary("spell", word).stdout)
                self.assertEqual(len(set(spellings)), len(spellings))
                self.assertGreater(len(spellings), 2)
                for mnemonics, codes in lines:
                    self.assertEqual(self.tessary("codes", *mnemonics.split()).stdout,
                                     codes + "\n")
                self.assertTrue(any(has in s for s in spellings), spellings)
                if becomes:
                    self.assertTrue(any(s == spellings[0].replace(has, becomes, 1)
                                        for s in spellings), spellings)
        # say plays them in that order, printing each as it starts.
        said = self.tessary("say", "--alternatives", "hello")
        listed = self.tessary("spell", "--alternatives", "hello").stdout.splitlines()
        self.assertEqual((said.returncode, said.stdout.splitlines()),
                         (0, [line.split("  ")[0] for line in listed]), said.stderr)

    def test_style(self):
        """--style clear swaps the forms the judge measured, wherever text is spelled, and each
        style offers the other's form of every word first among its alternatives."""
        text = "the cat is back"
        conventional = "dh1 ax pa3 kk1 ae ae pa3 tt1 pa1 ih zz pa1 bb2 ae ae pa3 kk2 pa1"
        clear = "dh1 ax pa1 kk3 ae pa1 tt1 pa1 ih zz pa1 bb2 ae pa1 kk3 pa1"
        rows = [("default", [], conventional), ("conventional", ["--style", "conventional"],
                                                 conventional), ("clear", ["--style", "clear"], clear)]
        for name, style, spelling in rows:
            with self.subTest(name):
                self.assertEqual(self.tessary("spell", *style, text).stdout, spelling + "\n")
                self.assertEqual(self.tessary("codes", "--text", *style, text).stdout,
                                 self.tessary("codes", *spelling.split()).stdout)
        for style, other in (([], "kk3 ae pa1 tt1 pa1"), (["--style", "clear"],
                                                          "kk1 ae ae pa3 tt1 pa1")):
            lines = self.tessary("spell", "--alternatives", *style, "cat").stdout.splitlines()
            self.assertEqual(lines[1].split("  ")[0], other, lines)

    def test_bash_completion(self):
        script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data",
                              "completion", "tessary.bash")
        rows = [
            ("command", "tessary sp", "spell"),
            ("option", "tessary codes --fo", "--format"),
            ("code format", "tessary codes --format he", "hex"),
            ("vocabulary form", "tessary vocab --format ard", "arduino"),
            ("mnemonic", "tessary say hh", "hh1|hh2"),
            ("no mnemonics for text", "tessary say --text hh", ""),
            ("the devices command", "tessary dev", "devices"),
            ("say on a device", "tessary say --dev", "--device"),
            ("probe", "tessary devices --pr", "--probe"),
            ("a file name with a space, whole", f"tessary vocab {self.tmp}/my",
             f"{self.tmp}/my words.txt"),
        ]
        with open(os.path.join(self.tmp, "my words.txt"), "w"):
            pass
        env = dict(self.env, PATH=os.path.dirname(os.path.abspath(TESSARY)) + ":/usr/bin:/bin")
        for name, line, expected in rows:
            with self.subTest(name):
                words = line.split(" ")
                res = subprocess.run(
                    ["bash", "-c", f'source "$0"; COMP_WORDS=({line}); '
                     f'COMP_CWORD={len(words) - 1}; _tessary; IFS="|"; echo "${{COMPREPLY[*]}}"',
                     script],
                    env=env, capture_output=True, text=True, timeout=30)
                self.assertEqual((res.returncode, res.stdout.strip()), (0, expected), res.stderr)

    def test_fish_and_zsh_completion(self):
        """The other shells' scripts, written from the same table: fish's completes as fish
        would, zsh's is read by zsh without a fault."""
        folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data",
                              "completion")
        env = dict(self.env, PATH=os.path.dirname(os.path.abspath(TESSARY)) + ":/usr/bin:/bin")
        rows = [
            ("command", "tessary sim", ["simulate"]),
            ("code format", "tessary codes --format he", ["hex"]),
            ("vocabulary form", "tessary vocab --format sk", ["sketch"]),
            ("mnemonic", "tessary say hh", ["hh1", "hh2"]),
            ("an option of simulate", "tessary simulate --pl", ["--play"]),
        ]
        for name, line, expected in rows:
            with self.subTest(name):
                res = subprocess.run(
                    ["fish", "--no-config", "-c",
                     f'source {os.path.join(folder, "tessary.fish")}; complete -C "{line}"'],
                    env=env, capture_output=True, text=True, timeout=30)
                got = [out.split("\t")[0] for out in res.stdout.splitlines()]
                self.assertEqual((res.returncode, got), (0, expected), res.stderr)
        res = subprocess.run(["zsh", "-n", os.path.join(folder, "_tessary")], capture_output=True,
                             text=True, timeout=30)
        self.assertEqual((res.returncode, res.stderr), (0, ""))

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
            # A header says which entries the word list spelled, or that it was left out.
            header = self.tessary("vocab", "-", stdin="greeting: hello\nplace: the world\n")
            plain = self.tessary("vocab", "--no-user-words", "-", stdin="place: the world\n")
        finally:
            os.remove(words)
        self.assertEqual(res.returncode, 0)
        self.assertEqual(res.stdout, "hh1 eh ll ow pa1 ww er1 ll dd1 pa1\n")
        self.assertIn(f"{words}:3: 'xx' is not an allophone", res.stderr)
        self.assertIn(f"Spelled with the word list {words}, which changed 'place'.",
                      header.stdout)
        self.assertIn("Spelled without the user's word list (--no-user-words).", plain.stdout)
        self.assertNotIn("0x2E, 0x34, 0x2D, 0x15", plain.stdout)  # ww er1 ll dd1

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
                self.assertLess(took, 10.0)  # a hang guard: a FIFO read would never end
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
        # End to end: each sample cut to, or padded to, its allophone's time on the chip.
        self.assertEqual(self.render_frames(*WORD), chip_frames(WORD))
        # One pace apart: each cut off by the next, the last whole.
        self.assertEqual(self.render_frames("--pace", "30", *WORD),
                         3 * RATE * 30 // 1000 + frames["ow"])

    VOCABULARY = """# the words of a clock
hello = hh1 eh ll ow pa1
greeting: Good morning.
seven: seven
12 o'clock: twelve o'clock
int = $1B, $07 0x2D 53
alarm: Wake up!   # a comment
good night
"""

    def test_vocabulary_header_in_every_form(self):
        source = os.path.join(self.tmp, "clock.txt")
        with open(source, "w") as f:
            f.write(self.VOCABULARY)
        # What each entry must hold: `tessary codes` of its mnemonics or text, in dec.
        expected = []
        for line in self.VOCABULARY.splitlines():
            line = line.split(" #")[0]
            if line.startswith("#") or not line.strip():
                continue
            seps = [i for i in (line.find("="), line.find(":")) if i >= 0]
            if not seps:
                args = ["--text", line]
            elif line[min(seps)] == "=":
                args = line[min(seps) + 1:].replace(",", " ").split()
            else:
                args = ["--text", line[min(seps) + 1:]]
            expected.append(self.tessary("codes", "--format", "dec", *args).stdout.strip())
        dump = ('int main(void) {\n  for (int i = 0; i < CLOCK_COUNT; ++i) {\n'
                '    for (int k = 0; k < clock_table[i].length; ++k)\n'
                '      printf(k ? ", %d" : "%d", clock_table[i].codes[k]);\n'
                '    printf("\\n");\n  }\n  return CLOCK_WORD_12_O_CLOCK != 3 || '
                'sizeof clock_word_hello != clock_word_hello_length;\n}\n')
        compilers = [
            ("c", ["gcc", "-std=c99", "-pedantic"], "c", "#include <stdio.h>\n"),
            ("c", ["g++", "-std=c++17", "-pedantic"], "cpp", "#include <cstdio>\n"),
        ]
        for form, cc, ext, include in compilers:
            with self.subTest(f"{form} with {cc[0]}"):
                res = self.tessary("vocab", "--format", form, "--output",
                                   os.path.join(self.tmp, "clock.h"), source)
                self.assertEqual((res.returncode, res.stderr), (0, ""))
                program = os.path.join(self.tmp, f"dump.{ext}")
                with open(program, "w") as f:
                    f.write(include + '#include "clock.h"\n#include "clock.h"\n' + dump)
                exe = os.path.join(self.tmp, "dump")
                built = subprocess.run([*cc, "-Wall", "-Wextra", "-Werror", "-o", exe, program],
                                       capture_output=True, text=True)
                self.assertEqual(built.returncode, 0, built.stderr)
                ran = subprocess.run([exe], capture_output=True, text=True)
                self.assertEqual((ran.returncode, ran.stdout.splitlines()), (0, expected))
        with self.subTest("arduino with avr-g++"):
            header = self.tessary("vocab", "--format", "arduino", source)
            self.assertEqual(header.returncode, 0, header.stderr)
            self.assertIn("clock_word_hello[] PROGMEM", header.stdout)
            with open(os.path.join(self.tmp, "clock.h"), "w") as f:
                f.write(header.stdout)
            sketch = os.path.join(self.tmp, "sketch.cpp")
            with open(sketch, "w") as f:
                f.write('#include "clock.h"\nvolatile uint8_t out;\nint main() {\n'
                        '  clock_entry e;\n  memcpy_P(&e, &clock_table[CLOCK_WORD_ALARM], sizeof e);\n'
                        '  for (uint16_t k = 0; k < e.length; ++k)\n'
                        '    out = pgm_read_byte(&e.codes[k]);\n}\n')
            built = subprocess.run(["avr-g++", "-mmcu=atmega328p", "-Os", "-Wall", "-Wextra",
                                    "-Werror", "-o", os.path.join(self.tmp, "sketch.elf"), sketch],
                                   capture_output=True, text=True)
            self.assertEqual(built.returncode, 0, built.stderr)
        with self.subTest("json"):
            res = self.tessary("vocab", "--format", "json", "-", stdin=self.VOCABULARY)
            entries = json.loads(res.stdout)["entries"]
            self.assertEqual([", ".join(map(str, e["codes"])) for e in entries], expected)
            self.assertEqual([e["identifier"] for e in entries],
                             ["hello", "greeting", "seven", "w_12_o_clock", "w_int", "alarm",
                              "good_night"])
            self.assertEqual(entries[1]["text"], "Good morning.")

    def test_a_sketch_folder_keeps_the_users_work(self):
        """vocab --format sketch writes its files anew where they are as it wrote them, refuses
        a file the user changed (or a folder it did not make) unless --force, never touches the
        user's other files, and changes nothing when it cannot write everything."""
        words = os.path.join(self.tmp, "alarm.txt")
        folder = os.path.join(self.tmp, "Alarm")
        ino = os.path.join(folder, "Alarm.ino")

        def vocab(text, *args):
            with open(words, "w") as f:
                f.write(text)
            return self.tessary("vocab", "--format", "sketch", "--output", folder, *args, words)

        def read(name):
            with open(os.path.join(folder, name)) as f:
                return f.read()
        self.assertEqual(vocab("hello = hh1 eh ll ow pa1\n").returncode, 0)
        self.assertEqual(sorted(os.listdir(folder)),
                         [".tessary-sketch", "Alarm.ino", "Makefile", "SP0256.c", "SP0256.h",
                          "SP0256_arduino.cpp", "SP0256_avr.c", "SP0256_tables.h", "alarm.h"])
        # New words: the header as written is written anew; the user's own file stays.
        with open(os.path.join(folder, "notes.txt"), "w") as f:
            f.write("mine")
        self.assertEqual(vocab("hello = hh1 eh ll ow pa1\nbye = bb2 ay pa1\n").returncode, 0)
        self.assertIn("alarm_word_bye", read("alarm.h"))
        # The user's sketch: refused, then replaced only when forced.
        with open(ino, "a") as f:
            f.write("// my change\n")
        res = vocab("hello = hh1 eh ll ow pa1\n")
        self.assertEqual(res.returncode, 1)
        self.assertIn("(Alarm.ino): nothing written; --force", res.stderr)
        self.assertIn("my change", read("Alarm.ino"))
        self.assertIn("alarm_word_bye", read("alarm.h"))
        # Forced, but one file cannot be written: nothing changes, the user's sketch included.
        os.remove(os.path.join(folder, "SP0256.c"))
        os.mkdir(os.path.join(folder, "SP0256.c"))
        res = vocab("hello = hh1 eh ll ow pa1\n", "--force")
        self.assertEqual(res.returncode, 1)
        self.assertIn("the folder is as it was", res.stderr)
        self.assertIn("my change", read("Alarm.ino"))
        os.rmdir(os.path.join(folder, "SP0256.c"))
        res = vocab("hello = hh1 eh ll ow pa1\n", "--force")
        self.assertEqual((res.returncode, res.stderr), (0, ""))
        self.assertNotIn("my change", read("Alarm.ino"))
        self.assertEqual(read("notes.txt"), "mine")
        # A folder tessary did not make, with anything in it, is refused.
        shutil.rmtree(folder)
        os.mkdir(folder)
        with open(os.path.join(folder, "other.ino"), "w") as f:
            f.write("theirs")
        res = vocab("hello = hh1\n")
        self.assertEqual(res.returncode, 1)
        self.assertIn("other.ino", res.stderr)
        self.assertEqual(os.listdir(folder), ["other.ino"])
        shutil.rmtree(folder)

    def test_names_in_other_scripts(self):
        """Names without an ASCII letter stay apart, and a file named in another script makes
        no name that C reserves."""
        source = os.path.join(self.tmp, "\u65e5\u672c.txt")
        with open(source, "w") as f:
            f.write("\u65e5\u672c = hh1\n\u4e2d\u56fd = eh\n!!! = ll\n")
        res = self.tessary("vocab", source)
        self.assertEqual((res.returncode, res.stderr), (0, ""))
        self.assertFalse(re.findall(r"\w*__\w*|\b_[A-Z]\w*", res.stdout))
        header = os.path.join(self.tmp, "scripts.h")
        with open(header, "w") as f:
            f.write(res.stdout)
        built = subprocess.run(["gcc", "-std=c99", "-pedantic", "-Wall", "-Werror",
                                "-fsyntax-only", header], capture_output=True, text=True)
        self.assertEqual(built.returncode, 0, built.stderr)

    def test_number_functions_compile_clean_alone(self):
        """A sketch that says numbers one way only, or not at all, builds with -Wall -Wextra
        -Werror: the number functions it does not call are no warning."""
        source = os.path.join(self.tmp, "count.txt")
        with open(source, "w") as f:
            f.write("hello = hh1 eh ll ow pa1\n%numbers\n")
        driver = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "firmware",
                              "SP0256", "src")
        rows = [(f"{f} only", f"count_{f}(42);")
                for f in ("say_number", "say_number_first", "say_number_words", "queue_number",
                          "queue_number_first", "queue_number_words")] + [("none", "")]
        for form in ("arduino", "c"):
            res = self.tessary("vocab", "--format", form, "--output",
                               os.path.join(self.tmp, "count.h"), source)
            self.assertEqual((res.returncode, res.stderr), (0, ""))
            for name, call in rows:
                with self.subTest(f"{form}, {name}"):
                    program = os.path.join(self.tmp, "count.c")
                    with open(program, "w") as f:
                        f.write('#include "count.h"\nint main(void) {\n    sp0256_begin(0);\n'
                                f"    {call}\n    return 0;\n}}\n")
                    built = subprocess.run(
                        ["avr-gcc", "-mmcu=atmega328p", "-Os", "-std=c99", "-Wall", "-Wextra",
                         "-Werror", f"-I{driver}", "-c", "-o", os.path.join(self.tmp, "count.o"),
                         program], capture_output=True, text=True)
                    self.assertEqual(built.returncode, 0, built.stderr)

    def test_names_a_person_would_choose(self):
        """Entries named as a person names words compile with the Arduino core, avr-libc and
        <stdint.h>, as C99 and C++17: every name the header makes carries its prefix."""
        words = ["count", "delay", "setup", "loop", "time", "random", "index", "min", "max",
                 "uint8_t", "PORTB", "PROGMEM", "int", "table", "h"]
        source = os.path.join(self.tmp, "gadget.txt")
        with open(source, "w") as f:
            f.write("".join(f"{w} = hh1 eh\n" for w in words))
        arduino = "/usr/share/arduino/hardware/arduino/avr"
        rows = [
            ("Arduino, C++17", "arduino", "avr-g++", ["-std=gnu++17", f"-I{arduino}/cores/arduino",
                                                     f"-I{arduino}/variants/standard"],
             "cpp", "#include <Arduino.h>\n", "void setup() {}\nvoid loop() { delay(1); }\n"),
            ("avr-libc, C99", "arduino", "avr-gcc", ["-std=c99"], "c", "#include <avr/io.h>\n",
             "int main(void) { return PORTB + gadget_word_count_length; }\n"),
            ("stdint, C99", "c", "gcc", ["-std=c99"], "c", "#include <stdint.h>\n",
             "int main(void) { return GADGET_WORD_DELAY != 1; }\n"),
        ]
        for name, form, cc, flags, ext, include, body in rows:
            with self.subTest(name):
                res = self.tessary("vocab", "--format", form, "--output",
                                   os.path.join(self.tmp, "gadget.h"), source)
                self.assertEqual((res.returncode, res.stderr), (0, ""))
                program = os.path.join(self.tmp, f"gadget.{ext}")
                with open(program, "w") as f:
                    f.write(include + '#include "gadget.h"\n' + body)
                mcu = ["-mmcu=atmega328p", "-Os", "-DF_CPU=16000000L", "-DARDUINO=10819"]
                built = subprocess.run([cc, *(mcu if cc.startswith("avr") else []), *flags,
                                        "-Wall", "-Wextra", "-Werror", "-fsyntax-only", program],
                                       capture_output=True, text=True)
                self.assertEqual(built.returncode, 0, built.stderr)
        res = self.tessary("vocab", "--prefix", "talk", source)
        self.assertIn("talk_word_delay[]", res.stdout)
        self.assertEqual(self.tessary("vocab", "--prefix", "no way", source).returncode, 2)

    def test_vocabulary_problems(self):
        rows = [
            ("names that clash", "hello = hh1\nHello: hello\n", ":2: 'Hello' makes the same C "
             "name, Hello, as the entry on line 1"),
            ("no name", "hello = hh1\n= eh\n", ":2: the entry has no name"),
            ("not an allophone", "x = hh1 xx9\n", ":1: 'xx9' is not a mnemonic"),
            ("nothing to say", "\n\nquiet: ...\n", ":3: 'quiet' has nothing to say"),
            ("two entries, one name", "hello = hh1\nhello_length = eh\n",
             "standard input:2: 'hello_length' makes the name vocabulary_word_hello_length"),
        ]
        for name, text, message in rows:
            with self.subTest(name):
                res = self.tessary("vocab", "-", stdin=text)
                self.assertEqual((res.returncode, res.stdout), (1, ""), res.stderr)
                self.assertIn(message, res.stderr)
                self.assertIn("no header written", res.stderr)

    def test_wrong_command_lines(self):
        rows = [
            ("unknown command", ["frobnicate"], "argument 1, 'frobnicate'"),
            ("unknown option", ["codes", "--fmt", "c", "hh1"], "argument 2, '--fmt'"),
            ("option without its value", ["codes", "hh1", "--format"], "argument 3, '--format'"),
            ("unknown format", ["codes", "--format", "pascal", "hh1"], "argument 3, 'pascal'"),
            ("unknown style", ["spell", "--style", "loud", "hi"], "argument 3, 'loud'"),
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
            ("empty text", ["spell", ""], "nothing to say"),
            ("text of punctuation", ["codes", "--text", "..."], "nothing to say"),
            ("version with an argument", ["--version", "extra"], "argument 2, 'extra'"),
            ("text and a file", ["spell", "--file", "x.txt", "hello"], "not both"),
            ("alternatives of a file", ["spell", "--alternatives", "--file", "x.txt"],
             "on the command line"),
            ("vocabulary form", ["vocab", "--format", "basic", "x.txt"], "argument 3, 'basic'"),
            ("two vocabularies", ["vocab", "a.txt", "b.txt"], "argument 3, 'b.txt'"),
            ("force for a header", ["vocab", "--force", "a.txt"], "--force is for"),
            ("a chip line named twice", ["simulate", "--pins", "ALD=B4,ALD=B5", "x.elf"],
             "ALD is named twice"),
            ("two chip lines on one pin", ["simulate", "--mcu", "atmega328p", "--pins", "ALD=B1",
                                           "x.elf"],
             "D9 (PB1) would carry both ALD and LRQ"),
            ("an empty pin item", ["simulate", "--pins", "ALD=B4,", "x.elf"], "an empty item"),
            ("no pins at all", ["simulate", "--pins=", "x.elf"], "--pins needs"),
            ("a pin the board does not have", ["simulate", "--mcu", "atmega328p", "--pins",
                                               "ALD=D14", "x.elf"],
             "'ALD=D14' is not LINE=PIN"),
            ("an MCU the simulator lacks", ["simulate", "--mcu", "atmega8", "x.elf"], "no MCU"),
            ("a press with no time", ["simulate", "--press", "D2", "x.elf"], "'D2' is not"),
            ("a release before the press", ["simulate", "--press", "D2@3-1", "x.elf"], "is not"),
            ("a level of 2", ["simulate", "--level", "D4=2@1", "x.elf"], "'D4=2@1' is not"),
            ("a reading above 1023", ["simulate", "--analog", "A0=1024", "x.elf"], "is not"),
            ("a reading on a digital pin", ["simulate", "--analog", "D2=5", "x.elf"], "is not"),
            ("a watched pin no board has", ["simulate", "--watch", "D99", "x.elf"], "no pin"),
            ("a board for the C form", ["vocab", "--board", "mega", "a.txt"], "--board is for"),
            ("a board tessary lacks", ["vocab", "--format", "arduino", "--board", "due", "a.txt"],
             "uno, nano, mega, leonardo"),
        ]
        for name, args, names in rows:
            with self.subTest(name):
                res = self.tessary(*args)
                self.assertEqual(res.returncode, 2, res.stderr)
                self.assertEqual(res.stdout, "")
                self.assertEqual(res.stderr.count("\n"), 1, res.stderr)
                self.assertIn(names, res.stderr)

    def test_work_that_cannot_be_done(self):
        bad_lines = os.path.join(self.tmp, "bad-lines.txt")
        with open(bad_lines, "w") as f:
            f.write("hh1\nxx9\neh\n")
        rows = [
            ("unwritable output", {}, ["render", "--output", os.path.join(self.tmp, "no", "x.wav"),
                                       "hh1"], "x.wav: No such file or directory"),
            ("output is a directory", {}, ["render", "--output", self.tmp, "hh1"],
             "is a directory, not a file to write"),
            ("output is a device", {}, ["render", "--output", "/dev/null", "hh1"],
             "/dev/null: is a device, not a file to write"),
            ("output is a FIFO without a reader", {}, ["render", "--output", self.fifo, "hh1"],
             "is a FIFO, not a file to write"),
            ("no sound output", {"SDL_AUDIODRIVER": "none-such"}, ["say", "hh1"],
             "no sound output"),
            ("missing text file", {}, ["spell", "--file", os.path.join(self.tmp, "none.txt")],
             "none.txt: No such file or directory"),
            ("text file is a directory", {}, ["spell", "--file", self.tmp], "is a directory"),
            ("text file is a FIFO", {}, ["codes", "--text", "--file", self.fifo],
             "is a FIFO, not a file to read"),
            ("vocabulary is a device", {}, ["vocab", "/dev/zero"], "is a device"),
            ("missing vocabulary", {}, ["vocab", os.path.join(self.tmp, "none.txt")],
             "none.txt: No such file or directory"),
            ("missing firmware", {}, ["simulate", os.path.join(self.tmp, "none.elf")],
             "none.elf: No such file or directory"),
        ]
        for name, env, args, message in rows:
            with self.subTest(name):
                res = subprocess.run([TESSARY, *args], env=dict(self.env, **env),
                                     capture_output=True, text=True, timeout=10)
                self.assertEqual((res.returncode, res.stdout), (1, ""), res.stderr)
                self.assertIn(message, res.stderr)
        # In a batch, a bad line is an empty one in the output, which goes on in step.
        res = self.tessary("codes", "--lines", "--file", bad_lines)
        self.assertEqual((res.returncode, res.stdout), (1, "$1B\n\n$07\n"))
        self.assertIn("line 2: item 1, 'xx9'", res.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
