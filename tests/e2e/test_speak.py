"""Sound, SPEAK and Copy in the real program, heard at a private sound server: an audition, the
pace of a SPEAK run to the sample, the server dying and coming back, the signals that end the
program, the clipboard another program reads, and closing the window in the middle of a run."""

import array
import math
import os
import signal
import sys
import time
import unittest

from harness import PulseServer, Session, find, onsets, px, tone

BINARY = os.environ.get("TESSARY_BINARY", "quorlin-tessary")
RATE = PulseServer.RATE  # the samples are at the sink's rate, so they reach it unchanged
WORD = (("hh1", 700), ("eh", 900), ("ll", 1100), ("ow", 1300))
SAMPLES = {stem: tone(30, freq=f, rate=RATE) for stem, f in WORD}
SPEAK = (2235, 2310, 1155, 435)
RATE_BOX = (870, 2340, 405, 285)
COPY = (4770, 960, 735, 285)
HH1_LABEL = (px(1695) + 10, px(5715) + 6)  # "HH1 - He"
# A play cuts in at the sink's read position, which the null sink has rendered a few
# milliseconds past: it rewinds, but its monitor has already recorded that stretch. So an
# audition is recognised by the sample's last 20 ms.
HH1_HEARD = SAMPLES["hh1"][-RATE // 50:]


def slot_box(n):
    return (98 + 360 * (n - 1), 150, 375, 285)


class SpeakEndToEnd(unittest.TestCase):
    def session(self):
        return Session(BINARY, samples=SAMPLES, pulse=True, rate=RATE)

    def set_pace(self, s, pace):
        s.click_twips(*RATE_BOX)
        s.key("ctrl+a")
        s.type_text(str(pace))

    def test_speak_keeps_its_pace_to_the_sample(self):
        with self.session() as s:
            s.start()
            s.click_twips(*slot_box(1))
            s.run(["xdotool", "type", "--delay", "15", "\t".join(["eh"] * 30)])
            time.sleep(0.3)
            s.pulse.record()  # a fresh take: nothing in it but the run
            s.click_twips(*SPEAK)
            # However busy the machine, the run ends: all 30 onsets, or the wait says why.
            s.wait_for(lambda: len(onsets(s.captured())) >= 30, 15, "30 onsets at the sink")
            time.sleep(0.2)
            heard = onsets(s.pulse.stop_recording())
            gaps = [b - a for a, b in zip(heard, heard[1:])]
            print("SPEAK at 50 ms, onset intervals at the sink (frames):", sorted(set(gaps)))
            self.assertEqual(len(heard), 30, heard)
            pace = RATE * 50 // 1000
            # Each step is placed a pace after the last, to half a millisecond. A stall of the
            # machine past what the player absorbs (15 ms) lengthens an interval, never
            # shortens one: how many it lengthens is the machine's, not the program's.
            exact = [g for g in gaps if abs(g - pace) <= RATE // 2000]
            self.assertTrue(exact, f"no interval of {pace} frames: {gaps}")
            self.assertTrue(all(g > pace for g in gaps if g not in exact),
                            f"a hurried step: {gaps}")

    def test_a_cut_off_sample_fades_without_a_click(self):
        """80 ms of a sine, cut off at 50 ms where it stands at its peak by the same sample's
        start: the cut fades out under the next onset, so no step reaches the sink, only the
        sine's own slope (a cut without the fade steps the whole amplitude)."""
        freq = 445  # 22.25 periods in 50 ms: each cut comes at the sine's crest
        n, ramp = RATE * 80 // 1000, RATE // 200  # its own end falls over 5 ms
        sine = array.array("h", (int(8192 * min(1, (n - i) / ramp) *
                                     math.sin(2 * math.pi * freq * i / RATE)) for i in range(n)))
        with Session(BINARY, samples={"eh": sine}, pulse=True, rate=RATE) as s:
            s.start()
            s.click_twips(*slot_box(1))
            s.run(["xdotool", "type", "--delay", "15", "\t".join(["eh"] * 30)])
            time.sleep(0.3)
            s.pulse.record()
            s.click_twips(*SPEAK)
            time.sleep(2.5)
            heard = s.pulse.stop_recording()
        self.assertGreater(max(abs(v) for v in heard), 6000, "the run was not heard")
        steps = [abs(b - a) for a, b in zip(heard, heard[1:])]
        slope = 2 * math.pi * freq * 8192 / RATE  # the sine's own largest step
        print(f"largest step at the sink: {max(steps)} (the sine's own: {slope:.0f})")
        self.assertLess(max(steps), 3 * slope)

    def test_audition_server_restart_and_copy(self):
        hh1 = HH1_HEARD
        with self.session() as s:
            s.start()
            s.click_at(*HH1_LABEL)
            s.wait_for(lambda: find(s.captured(), hh1) >= 0, 5, "hh1 at the sink")

            # The server dies and comes back: the next click is heard.
            s.pulse.kill()
            time.sleep(0.5)
            s.pulse.start()
            s.click_at(*HH1_LABEL)
            s.wait_for(lambda: find(s.captured(), hh1) >= 0, 5, "hh1 after the server's return")

            # Copy: another program reads exactly the 12 characters.
            for n, (stem, _) in enumerate(WORD, start=1):
                s.click_twips(*slot_box(n))
                s.type_text(stem)
            s.click_twips(*COPY)
            self.assertEqual(s.run(["xclip", "-o", "-selection", "clipboard"]), "$1B$07$2D$35")
            # The focus went to the hidden sink: typing now changes no slot.
            s.type_text("pa1")
            s.click_twips(*COPY)
            self.assertEqual(s.run(["xclip", "-o", "-selection", "clipboard"]), "$1B$07$2D$35")

            # SPEAK reads SPEAKING during its run and comes back after 30 steps.
            s.park_mouse()
            box = (px(SPEAK[0]), px(SPEAK[1]), px(SPEAK[2]), px(SPEAK[3]))
            before = s.crop_rgb(s.screenshot(), *box)
            s.click_twips(*SPEAK)
            s.park_mouse()
            self.assertNotEqual(before, s.crop_rgb(s.screenshot(), *box), "no SPEAKING")
            time.sleep(1.5 + 0.5)
            self.assertEqual(before, s.crop_rgb(s.screenshot(), *box), "SPEAK not back")

    def test_signals_and_closing_end_the_program(self):
        with self.session() as s:
            for how in ("SIGTERM", "SIGINT", "close during a run"):
                with self.subTest(how):
                    s.start()
                    if how == "close during a run":
                        s.click_twips(*slot_box(1))
                        s.type_text("hh1")
                        self.set_pace(s, 999)
                        s.click_twips(*SPEAK)
                    else:
                        s.click_at(*HH1_LABEL)  # the stream is open
                    s.wait_for(lambda: find(s.captured(), HH1_HEARD) >= 0, 5, "hh1")
                    t0 = time.monotonic()
                    if how == "close during a run":
                        s.close_with_wm()
                    else:
                        s.app.send_signal(getattr(signal, how))
                    status = s.wait_exit(20)
                    elapsed = time.monotonic() - t0
                    print(f"{how}: exit status {status} after {elapsed * 1000:.0f} ms")
                    self.assertEqual(status, 0)
                    # A guard against a close that waits on the sound, with a margin of ten:
                    # the time itself is printed above.
                    self.assertLess(elapsed, 10 * (1.0 + (0.3 if how.startswith("close") else 0)))
                    s.pulse.stop_recording()
                    s.pulse.record()


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
