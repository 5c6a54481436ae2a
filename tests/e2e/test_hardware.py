"""The Hardware option in the real window on Xvfb, against the chip on a simulated board
(chip_sim running the bridge firmware on a pseudo-terminal): selected, SPEAK and a click on an
allophone's name are said by the chip and not played; with no port known, Hardware is greyed
and the samples still speak."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "chip"))

from harness import Session, find, px, tone  # noqa: E402
from test_chip import Board  # noqa: E402

BINARY = os.environ.get("TESSARY_BINARY", "quorlin-tessary")
HARDWARE = (4260, 2490, 1005, 315)
SPEAK = (2235, 2310, 1155, 435)
HH1_LABEL = (px(1695) + 10, px(5715) + 6)  # "HH1 - He"


def slot_box(n):
    return (98 + 360 * (n - 1), 150, 375, 285)


class Hardware(unittest.TestCase):
    def test_slots_and_a_label_on_the_chip(self):
        hh1 = tone(120, freq=700)
        with Session(BINARY, samples={"hh1": hh1}) as s:
            board = Board(s.tmp)
            try:
                s.extra_env = {"TESSARY_DEVICE": board.pty,
                               "XDG_CONFIG_HOME": os.path.join(s.tmp, "config")}
                s.start()
                s.click_twips(*HARDWARE)
                for n, mnemonic in enumerate(("hh1", "eh", "pa1"), start=1):
                    s.click_twips(*slot_box(n))
                    s.type_text(mnemonic)
                s.click_twips(*SPEAK)
                s.wait_for(lambda: board.spoken() == [27, 7, 0], 60, "the slots on the chip")
                s.click_at(*HH1_LABEL)
                s.wait_for(lambda: board.spoken() == [27, 7, 0, 27, 0], 60, "HH1 on the chip")
                time.sleep(0.3)
                self.assertLess(find(s.captured(), hh1), 0, "a sample played under Hardware")
            finally:
                board.kill()

    def test_no_port_greyed_and_the_samples_speak(self):
        hh1 = tone(120, freq=700)
        with Session(BINARY, samples={"hh1": hh1}) as s:
            s.env.pop("TESSARY_DEVICE", None)
            s.extra_env = {"XDG_CONFIG_HOME": os.path.join(s.tmp, "config")}
            s.start()
            s.click_twips(*HARDWARE)  # greyed: the click changes nothing
            s.click_at(*HH1_LABEL)
            s.wait_for(lambda: find(s.captured(), hh1) >= 0, 10, "hh1.wav from the samples")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
