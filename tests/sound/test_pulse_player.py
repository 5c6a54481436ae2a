"""The sound-server player on its own, against a private PulseAudio server with a null sink whose
monitor is recorded: where a click lands, where timed plays land, the stream's idle close and
reopening, and a player destroyed while its first play waits for the stream."""

import array
import os
import random
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import PulseServer, find, onsets, tone, write_wav  # noqa: E402

DRIVER = os.environ["TESSARY_PULSE_DRIVER"]
RATE = PulseServer.RATE  # samples at the sink's rate reach it unchanged, so they can be found


def noise(ms, seed):
    """A sample no stretch of which repeats, so that where it sounds can be found exactly."""
    rng = random.Random(seed)
    return array.array("h", (rng.randint(-8000, 8000) or 1 for _ in range(RATE * ms // 1000)))


def place(heard, sample, tail=RATE // 50):
    """Where `sample` starts in the recording, from its last `tail` frames (a click's first
    milliseconds may be lost at the monitor: see harness), or -1."""
    at = find(heard, sample[-tail:])
    return -1 if at < 0 else at // 2 - (len(sample) - tail)


class PulsePlayer(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory(prefix="tessary-pulse-")
        cls.server = PulseServer(os.path.join(cls.tmp.name, "pulse")).start()
        cls.samples = {}
        for seed, (name, ms) in enumerate((("long", 1000), ("b", 120), ("c", 120))):
            cls.samples[name] = noise(ms, seed)
        cls.samples["step"] = tone(30, freq=700, rate=RATE)
        for name in cls.samples:
            path = os.path.join(cls.tmp.name, name + ".wav")
            write_wav(path, cls.samples[name], RATE)
            setattr(cls, name, path)

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        cls.tmp.cleanup()

    def drive(self, *steps, timeout=60):
        res = subprocess.run([DRIVER, "--idle-close", "300", *steps], env=self.server.env(),
                             capture_output=True, text=True, timeout=timeout)
        self.assertEqual(res.returncode, 0, res.stderr)
        return res.stdout.split("\n")

    def test_a_click_cuts_in_at_the_read_position(self):
        self.server.record()
        out = self.drive(f"click:{self.long}", "sleep:300", f"click:{self.b}", "sleep:300",
                         f"click:{self.c}", "sleep:400")
        heard = self.server.stop_recording()
        sent = [int(line.split()[1]) for line in out if line.startswith("click")]
        b, c = place(heard, self.samples["b"]), place(heard, self.samples["c"])
        self.assertGreater(b, 0, "b was not heard")
        self.assertGreater(c, b, "c was not heard after b")
        apart_ms = (c - b) * 1000 / RATE
        asked_ms = (sent[2] - sent[1]) / 1e6
        self.assertLess(abs(apart_ms - asked_ms), 8, (apart_ms, asked_ms))
        # b cut the long sample off: nothing of it sounds after b has ended.
        self.assertEqual(max(map(abs, heard[b + len(self.samples["b"]):c])), 0)

    def test_timed_plays_land_at_their_exact_frames(self):
        self.server.record()
        self.drive(f"run:{self.step}:12:50", "sleep:400")
        starts = onsets(self.server.stop_recording())
        self.assertEqual(len(starts), 12, starts)
        self.assertEqual({b - a for a, b in zip(starts, starts[1:])}, {RATE * 50 // 1000})

    def test_the_stream_closes_when_idle_and_opens_again(self):
        self.server.record()
        out = self.drive(f"click:{self.b}", "sleep:100", "open?", "sleep:800", "open?",
                         f"click:{self.c}", "sleep:50", "open?", "sleep:300")
        heard = self.server.stop_recording()
        self.assertEqual([line for line in out if line.startswith("open")],
                         ["open 1", "open 0", "open 1"])
        self.assertGreater(place(heard, self.samples["c"]), 0, "the reopened stream was not heard")

    def test_a_player_ends_cleanly_while_its_first_play_waits(self):
        start = time.monotonic()
        out = self.drive(f"churn:{self.b}:200", timeout=240)
        self.assertIn("churned 200", out)
        print(f"200 players made and ended in {time.monotonic() - start:.1f} s", file=sys.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
