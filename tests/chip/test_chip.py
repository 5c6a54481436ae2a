"""The chip on a board, without a board: the bridge firmware's ELF in simavr with our model of
the SP0256-AL2 on its pins (chip_sim), its UART on a pseudo-terminal, and the real `tessary
say --device` on the other end."""

import fcntl
import os
import pty
import select
import signal
import subprocess
import sys
import termios
import threading
import time
import tty
import unittest

TESSARY = os.environ.get("TESSARY_CLI", "tessary")
CHIP_SIM = os.environ["CHIP_SIM"]
FIRMWARE = os.environ["BRIDGE_ELF"]
DURATIONS = os.environ["DURATIONS"]


def chip_ms():
    with open(DURATIONS) as f:
        next(f)
        return {int(row.split("\t")[0]): float(row.split("\t")[3]) for row in f}


class Board:
    """chip_sim running the firmware; its log read back as events."""

    def __init__(self, tmp):
        self.log = os.path.join(tmp, "chip.log")
        self.proc = subprocess.Popen([CHIP_SIM, FIRMWARE, self.log],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        for line in self.proc.stdout:
            if line.startswith("pty "):
                self.pty = line.split()[1]
                break
        else:
            raise RuntimeError("chip_sim gave no pty")

    def events(self):
        with open(self.log) as f:
            return [line.split() for line in f]

    def spoken(self):
        return [int(e[1]) for e in self.events() if e[0] == "start"]

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait()
        self.proc.stdout.close()


class Chip(unittest.TestCase):
    def setUp(self):
        self.tmp = os.environ.get("TMPDIR", "/tmp")
        self.board = Board(self.tmp)
        self.env = dict(os.environ, XDG_CONFIG_HOME="/nonexistent")

    def tearDown(self):
        self.board.kill()

    def tessary(self, *args, timeout=300):
        return subprocess.run([TESSARY, *args], env=self.env, capture_output=True, text=True,
                              timeout=timeout)

    def codes(self, text):
        res = self.tessary("codes", "--text", "--format", "dec", text)
        return [int(c) for c in res.stdout.split(", ")]

    def test_utterances_arrive_whole_and_back_to_back(self):
        # Under the sanitizers the simulated board runs slower than the chip speaks: there a
        # long utterance is a hundred allophones, not a thousand.
        sanitized = os.environ.get("TESSARY_SANITIZED") == "1"
        long_text = ("The quick brown fox jumps over the lazy dog. " * (4 if sanitized else 40))
        least = 100 if sanitized else 1000
        ms = chip_ms()
        for name, text in [("hello world", "hello world"), ("a long utterance", long_text.strip())]:
            with self.subTest(name):
                before = len(self.board.spoken())
                expected = self.codes(text)
                if name != "hello world":
                    self.assertGreaterEqual(len(expected), least)
                res = self.tessary("say", "--device", self.board.pty, "--text", text)
                self.assertEqual((res.returncode, res.stderr), (0, ""))
                events = self.board.events()
                self.assertFalse([e for e in events if e[0] == "violation"])
                starts = [(int(e[1]), float(e[2])) for e in events if e[0] == "start"][before:]
                self.assertEqual([c for c, _ in starts], expected)
                # Each allophone starts as the one before it ends: the host never made the
                # chip wait (1 ms of simulated time).
                for (code, at), (_, next_at) in zip(starts, starts[1:]):
                    self.assertAlmostEqual(next_at - at, ms[code] * 1000, delta=1000)
                # say returned once the chip was silent: its last allophone had ended.
                self.assertEqual(events[-1][0], "end")

    def say_until_three_spoken(self):
        """A long say under way: the chip has started its third allophone."""
        proc = subprocess.Popen([TESSARY, "say", "--device", self.board.pty, "--text",
                                 "one two three four five six seven eight nine ten"],
                                env=self.env, stderr=subprocess.PIPE, text=True)
        deadline = time.monotonic() + 60
        while len(self.board.spoken()) < 3 and time.monotonic() < deadline:
            time.sleep(0.05)
        return proc

    def test_stop_silences_the_chip(self):
        """Ctrl+C during say stops the chip before exiting, with status 130."""
        proc = self.say_until_three_spoken()
        proc.send_signal(signal.SIGINT)
        self.assertEqual(proc.wait(timeout=5), 130)
        proc.stderr.close()
        events = self.board.events()
        self.assertEqual(events[-1][0], "reset", events[-3:])
        spoken = len(self.board.spoken())
        time.sleep(0.5)
        self.assertEqual(len(self.board.spoken()), spoken)

    def test_board_gone_mid_utterance(self):
        proc = self.say_until_three_spoken()
        self.board.kill()
        gone = time.monotonic()
        self.assertEqual(proc.wait(timeout=30), 1)
        self.assertLess(time.monotonic() - gone, 10.0)
        self.assertIn("went away", proc.stderr.read())
        proc.stderr.close()

    def test_a_killed_host_leaves_nothing_behind(self):
        """A host killed mid-utterance, then a new say at once: the hello silences the old
        queue, and every code of the new utterance is spoken, in order, and nothing else."""
        proc = self.say_until_three_spoken()
        proc.kill()
        proc.wait()
        proc.stderr.close()
        expected = self.codes("hello world")
        res = self.tessary("say", "--device", self.board.pty, "--text", "hello world")
        self.assertEqual((res.returncode, res.stderr), (0, ""))
        events = self.board.events()
        last_reset = max(i for i, e in enumerate(events) if e[0] == "reset")
        self.assertEqual([int(e[1]) for e in events[last_reset:] if e[0] == "start"], expected)

    def raw(self):
        fd = os.open(self.board.pty, os.O_RDWR | os.O_NOCTTY)
        tty.setraw(fd)
        self.addCleanup(os.close, fd)
        return fd

    def read_until(self, fd, done, seconds=120):
        got = b""
        deadline = time.monotonic() + seconds
        while not done(got) and time.monotonic() < deadline:
            if select.select([fd], [], [], 0.1)[0]:
                got += os.read(fd, 4096)
        return got

    def test_protocol_edges(self):
        """The firmware as a hostile or clumsy host drives it: every byte written straight to
        the port."""
        fd = self.raw()
        with self.subTest("hello empties the queue and answers with the nonce"):
            os.write(fd, b"\xf0\x41")
            self.assertTrue(self.read_until(fd, lambda b: b.endswith(b"\n"))
                            .endswith(b"tessary-bridge 2 64 65\n"))
        with self.subTest("a lone hello and then a stop: the stop is obeyed"):
            os.write(fd, b"\xf0\xf1")
            self.assertEqual(self.read_until(fd, lambda b: b"S" in b), b"S")
        with self.subTest("a lone hello and then a code: the code is spoken"):
            before = len(self.board.spoken())
            os.write(fd, b"\xf0\x05")
            got = self.read_until(fd, lambda b: b"Q" in b)
            self.assertEqual(got, b"KQ")
            self.assertEqual(self.board.spoken()[before:], [5])
        with self.subTest("a flood beyond the room: each code said or reported"):
            before = len(self.board.spoken())
            flood = bytes(i % 64 for i in range(1000))
            os.write(fd, flood)
            # Simulated time is what counts: a busy machine only makes the wait longer.
            got = self.read_until(fd, lambda b: b.count(b"K") + b.count(b"F") >= 1000
                                  and b.endswith(b"Q"), seconds=600)
            self.assertEqual((got.count(b"K") + got.count(b"F")), 1000, got)
            self.assertGreater(got.count(b"F"), 0)
            spoken = self.board.spoken()[before:]
            self.assertEqual(len(spoken), got.count(b"K"))
            # What was said came in the order it was sent.
            it = iter(flood)
            self.assertTrue(all(any(c == s for c in it) for s in spoken))
        self.assertFalse([e for e in self.board.events() if e[0] == "violation"])


class FakeBridge:
    """A bridge played by the test on a pseudo-terminal: `answer(byte)` gives the bytes it
    sends back for each byte it receives."""

    def __init__(self, answer, chatter=None):
        self.master, self.slave = pty.openpty()
        self.path = os.ttyname(self.slave)
        self.received = bytearray()
        self.done = threading.Event()
        self.answer = answer
        self.chatter = chatter
        self.thread = threading.Thread(target=self.serve, daemon=True)
        self.thread.start()

    def serve(self):
        pending = None
        while not self.done.is_set():
            if not select.select([self.master], [], [], 0.05)[0]:
                if self.chatter:
                    os.write(self.master, self.chatter)
                continue
            try:
                data = os.read(self.master, 256)
            except OSError:
                return
            for b in data:
                self.received.append(b)
                if pending is not None:
                    os.write(self.master, self.answer(("hello", b)))
                    pending = None
                elif b == 0xF0:
                    pending = b
                else:
                    os.write(self.master, self.answer(("byte", b)))

    def close(self):
        self.done.set()
        self.thread.join()
        os.close(self.slave)
        os.close(self.master)


def hello(version=2, room=64, end=b"\n", then=b""):
    return lambda e: (b"tessary-bridge %d %d %d" % (version, room, e[1]) + end + then
                      if e[0] == "hello" else b"")


def obedient(room=64, end=b"\n", then=b"", after_code=b"K", silent=b"Q", stop=b"S"):
    """Answers a hello, a 'K' for every code, 'Q' after the last of a say of `count` codes."""
    greet = hello(room=room, end=end, then=then)

    def answer(e):
        if e[0] == "hello":
            return greet(e)
        if e[1] == 0xF1:
            return stop
        return after_code + (silent if e[1] == 0 else b"")  # pa1 ends every spelling
    return answer


class FakeBridges(unittest.TestCase):
    """tessary against bridges that misbehave: every wait ends, every loss is reported, and
    the port is left with the settings it had."""

    def run_say(self, bridge, *args, interrupt_after=None):
        before = termios.tcgetattr(bridge.slave)
        start = time.monotonic()
        proc = subprocess.Popen([TESSARY, "say", "--device", bridge.path, *args],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                env=dict(os.environ, XDG_CONFIG_HOME="/nonexistent"))
        if interrupt_after is not None:
            time.sleep(interrupt_after)
            proc.send_signal(signal.SIGINT)
        out, err = proc.communicate(timeout=120)
        took = time.monotonic() - start
        self.assertEqual(termios.tcgetattr(bridge.slave), before, "port settings not restored")
        return proc.returncode, err, took

    def test_misbehaving_bridges(self):
        hh1_pa1 = ["hh1", "pa1"]
        rows = [
            # name, answer, chatter, items, status, message, most seconds
            ("answer ends in CR LF", obedient(end=b"\r\n"), None, hh1_pa1, 0, "", 3),
            ("a stray byte before each answer", obedient(after_code=b"tK"), None, hh1_pa1, 0,
             "", 3),
            ("chatters and never says Q", obedient(silent=b""), b"x", hh1_pa1, 1,
             "did not fall silent within 2 s", 5),
            ("reports a full queue", obedient(after_code=b"F"), None, hh1_pa1, 1,
             "queue was full", 3),
            ("a bridge of protocol 1", hello(version=1), None, hh1_pa1, 1, "protocol 1", 3),
            ("a room past 255", lambda e: (b"tessary-bridge 2 4294967297 %d\n" % e[1]
                                           if e[0] == "hello" else b""), None, hh1_pa1, 1,
             "no bridge answered", 4),
            ("never confirms a stop", obedient(silent=b"", stop=b""), None,
             ["hh1"] * 3 + ["pa1"], 130, "did not confirm the stop", 4),
        ]
        for name, answer, chatter, items, status, message, most in rows:
            with self.subTest(name):
                bridge = FakeBridge(answer, chatter)
                try:
                    code, err, took = self.run_say(
                        bridge, *items, interrupt_after=1.0 if status == 130 else None)
                finally:
                    bridge.close()
                self.assertEqual(code, status, err)
                self.assertIn(message, err)
                # A guard against a wait that never ends, ten times what the host's own limits
                # allow: not a measure of speed.
                self.assertLess(took, 10 * most)

    def test_unasked_credits_give_no_room(self):
        """Five hundred 'K's nobody asked for: the host still keeps at most ROOM codes
        outstanding."""
        outstanding = []
        state = {"sent": 0, "loaded": 0}

        def answer(e):
            if e[0] == "hello":
                return hello(room=4, then=b"K" * 500)(e)
            state["sent"] += 1
            outstanding.append(state["sent"] - state["loaded"])
            # The chip takes a code only every fourth byte: the queue fills up.
            if state["sent"] % 4 == 0:
                state["loaded"] += 4
                return b"KKKK" + (b"Q" if state["sent"] >= 40 else b"")
            return b""

        bridge = FakeBridge(answer)
        try:
            code, err, _ = self.run_say(bridge, *(["aa"] * 40))
        finally:
            bridge.close()
        self.assertEqual(code, 0, err)
        self.assertLessEqual(max(outstanding), 4)


class NotABridge(unittest.TestCase):
    """Devices that are not a bridge are refused within 3 s, and nothing but the hello is
    written to them."""

    def test_silent_and_echoing_devices(self):
        for name, echo in [("answers nothing", False), ("echoes", True)]:
            with self.subTest(name):
                master, slave = pty.openpty()
                received = bytearray()
                done = threading.Event()

                def serve():
                    while not done.is_set():
                        try:
                            data = os.read(master, 256)
                        except OSError:
                            return
                        received.extend(data)
                        if echo:
                            os.write(master, data)

                thread = threading.Thread(target=serve, daemon=True)
                thread.start()
                start = time.monotonic()
                res = subprocess.run([TESSARY, "say", "--device", os.ttyname(slave), "hh1"],
                                     capture_output=True, text=True, timeout=60,
                                     env=dict(os.environ, XDG_CONFIG_HOME="/nonexistent"))
                took = time.monotonic() - start
                done.set()
                os.close(slave)
                os.close(master)
                self.assertEqual(res.returncode, 1)
                self.assertIn("no bridge answered", res.stderr)
                self.assertLess(took, 35)  # the host gives up after its hellos, never hangs
                # Only hellos (0xF0 and a number) were written.
                self.assertTrue(received)
                self.assertEqual(bytes(received[0::2]), b"\xf0" * (len(received) // 2))

    def test_ports_that_cannot_be_used(self):
        # A port another program holds, as a second tessary holds it, root or not.
        master, slave = pty.openpty()
        fcntl.flock(slave, fcntl.LOCK_EX)
        rows = [("no such device", "/dev/ttyNONE0", "no such device"),
                ("not a serial port", "/dev/null", "not a serial port"),
                ("held by another program", os.ttyname(slave), "busy")]
        try:
            for name, path, message in rows:
                with self.subTest(name):
                    res = subprocess.run([TESSARY, "say", "--device", path, "hh1"],
                                         capture_output=True, text=True, timeout=10)
                    self.assertEqual((res.returncode, res.stdout), (1, ""))
                    self.assertIn(message, res.stderr)
        finally:
            os.close(slave)
            os.close(master)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
