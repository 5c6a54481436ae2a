"""SPEAK and Copy in the real program: the sound it makes, the clipboard another program reads,
and closing the window in the middle of a run."""

import os
import sys
import time
import unittest

from harness import RATE, Session, find, px, tone

BINARY = os.environ.get("TESSARY_BINARY", "quorlin-tessary")
WORD = (("hh1", 700), ("eh", 900), ("ll", 1100), ("ow", 1300))
SPEAK = (2235, 2310, 1155, 435)
RATE_BOX = (870, 2340, 405, 285)
COPY = (4770, 960, 735, 285)


def slot_box(n):
    return (98 + 360 * (n - 1), 150, 375, 285)


def occurrences(haystack, needle):
    data, pattern, hits, at = haystack.tobytes(), needle.tobytes(), [], 0
    while True:
        at = data.find(pattern, at)
        if at < 0:
            return hits
        if at % 2 == 0:
            hits.append(at // 2)
        at += 2


SAMPLES = {stem: tone(60, freq=f) for stem, f in WORD}


class SpeakEndToEnd(unittest.TestCase):
    def compose(self, s, pace):
        for n, (stem, _) in enumerate(WORD, start=1):
            s.click_twips(*slot_box(n))
            s.type_text(stem)
        s.click_twips(*RATE_BOX)
        s.key("ctrl+a")
        s.type_text(str(pace))

    def test_speak_and_copy(self):
        samples = SAMPLES
        with Session(BINARY, samples=samples) as s:
            s.start()
            self.compose(s, 100)

            # Copy: another program reads exactly the 12 characters.
            s.click_twips(*COPY)
            self.assertEqual(s.run(["xclip", "-o", "-selection", "clipboard"]), "$1B$07$2D$35")
            # The focus went to the hidden sink: typing now changes no slot.
            s.type_text("pa1")
            s.click_twips(*COPY)
            self.assertEqual(s.run(["xclip", "-o", "-selection", "clipboard"]), "$1B$07$2D$35")

            s.park_mouse()
            before = s.crop_rgb(s.screenshot(), px(SPEAK[0]), px(SPEAK[1]), px(SPEAK[2]),
                                px(SPEAK[3]))
            s.click_twips(*SPEAK)
            s.park_mouse()
            during = s.crop_rgb(s.screenshot(), px(SPEAK[0]), px(SPEAK[1]), px(SPEAK[2]),
                                px(SPEAK[3]))
            self.assertNotEqual(before, during, "SPEAK should read SPEAKING during the run")
            time.sleep(3.4)  # 30 steps of 100 ms
            after = s.crop_rgb(s.screenshot(), px(SPEAK[0]), px(SPEAK[1]), px(SPEAK[2]),
                               px(SPEAK[3]))
            self.assertEqual(before, after, "SPEAK should be back after 30 steps")

            # The device may have closed while idle and reopened, starting the capture afresh.
            out = s.captured()
            onsets = []
            for stem, _ in WORD:
                hits = occurrences(out, samples[stem])
                self.assertEqual(len(hits), 1, f"{stem} should sound once, found {hits}")
                onsets.append(hits[0])
            gaps_ms = [(b - a) * 1000 / RATE for a, b in zip(onsets, onsets[1:])]
            # SDL's disk driver writes one device buffer (256 frames, 11.6 ms of sound) every
            # 11 ms of wall time, so gaps come in whole buffers and read about 5 % long. A sample
            # starts at the next buffer, so each gap is the pace give or take one buffer.
            wall_ms = [g * 11 / (256 * 1000 / RATE) for g in gaps_ms]
            print("onset gaps in the capture (ms):", ", ".join(f"{g:.1f}" for g in gaps_ms),
                  "; in wall time:", ", ".join(f"{g:.1f}" for g in wall_ms))
            for g in wall_ms:
                self.assertAlmostEqual(g, 100, delta=15)
            # Nothing but the four samples: the 26 empty steps are silent.
            loud = sum(1 for v in out if v)
            self.assertEqual(loud, sum(len(v) for v in samples.values()))

    def test_close_during_a_run(self):
        with Session(BINARY, samples=SAMPLES) as s:
            s.start()
            self.compose(s, 999)
            s.click_twips(*SPEAK)
            s.wait_for(lambda: find(s.captured(), SAMPLES["hh1"]) >= 0, 5, "the first sample")
            time.sleep(0.3)
            t0 = time.monotonic()
            s.close_with_wm()
            status = s.wait_exit(2)
            elapsed = time.monotonic() - t0
            print(f"closed mid-run: exit status {status} after {elapsed * 1000:.0f} ms")
            self.assertEqual(status, 0)
            self.assertLess(elapsed, 1.0 + 0.3)  # 0.3 s of it is the key press helper


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
