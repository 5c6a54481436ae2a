"""The chip on a board, without a board: the bridge firmware's ELF in simavr with our model of
the SP0256-AL2 on its pins (chip_sim), its UART on a pseudo-terminal, and the real `tessary
say --device` on the other end."""

import os
import pty
import signal
import subprocess
import sys
import threading
import time
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
        self.proc = subprocess.Popen([CHIP_SIM, FIRMWARE, DURATIONS, self.log],
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
        long_text = ("The quick brown fox jumps over the lazy dog. " * 40).strip()
        ms = chip_ms()
        for name, text in [("hello world", "hello world"), ("a thousand allophones", long_text)]:
            with self.subTest(name):
                before = len(self.board.spoken())
                expected = self.codes(text)
                if name != "hello world":
                    self.assertGreaterEqual(len(expected), 1000)
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
        self.assertEqual(proc.wait(timeout=5), 1)
        self.assertLess(time.monotonic() - gone, 1.0)
        self.assertIn("went away", proc.stderr.read())
        proc.stderr.close()


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
                                     capture_output=True, text=True, timeout=10,
                                     env=dict(os.environ, XDG_CONFIG_HOME="/nonexistent"))
                took = time.monotonic() - start
                done.set()
                os.close(slave)
                os.close(master)
                self.assertEqual(res.returncode, 1)
                self.assertIn("no bridge answered", res.stderr)
                self.assertLess(took, 3.5)
                # Only hellos (0xF0 and a number) were written.
                self.assertTrue(received)
                self.assertEqual(bytes(received[0::2]), b"\xf0" * (len(received) // 2))

    def test_ports_that_cannot_be_used(self):
        rows = [("no such device", "/dev/ttyNONE0", "no such device"),
                ("not a serial port", "/dev/null", "not a serial port")]
        for name, path, message in rows:
            with self.subTest(name):
                res = subprocess.run([TESSARY, "say", "--device", path, "hh1"],
                                     capture_output=True, text=True, timeout=10)
                self.assertEqual((res.returncode, res.stdout), (1, ""))
                self.assertIn(message, res.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
