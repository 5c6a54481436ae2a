"""The real window on a real X server: size, place, frame, typing, an audition, closing."""

import array
import os
import re
import subprocess
import sys
import time
import unittest
import wave

from harness import SCREEN_H, SCREEN_W, Session, find, px, tone

BINARY = os.environ.get("TESSARY_BINARY", "quorlin-tessary")
COPY = (4770, 960, 735, 285)


def slot_box(n):
    k = (n - 1) % 15
    left = 98 + 360 * k + (7 if 22 <= n <= 27 else 0)
    return (left, 150 if n <= 15 else 420, 375, 285)


def code_label(n):
    return (300 + 330 * ((n - 1) % 15), 1470 if n <= 15 else 1680, 345, 225)


class WindowEndToEnd(unittest.TestCase):
    def test_window(self):
        hh1 = tone(120, freq=700)
        with Session(BINARY, samples={"hh1": hh1}) as s:
            s.start()

            # Found by its title, 375 x 454, centred (the title bar may push it down).
            x, y, w, h = s.client_geometry()
            self.assertEqual((w, h), (375, 454))
            self.assertLessEqual(abs(x - (SCREEN_W - w) / 2), 2, (x, y))
            self.assertLessEqual(abs(y - (SCREEN_H - h) / 2), 30, (x, y))

            # A fixed frame: no resizing, and neither minimize nor maximize asked of the WM.
            hints = s.run(["xprop", "-id", s.window, "WM_NORMAL_HINTS", "_MOTIF_WM_HINTS"])
            self.assertIn("program specified minimum size: 375 by 454", hints)
            self.assertIn("program specified maximum size: 375 by 454", hints)
            motif = re.search(r"_MOTIF_WM_HINTS\(_MOTIF_WM_HINTS\) = (.*)", hints).group(1)
            functions = int(motif.split(",")[1], 16)
            self.assertFalse(functions & 0x08, "minimize offered")
            self.assertFalse(functions & 0x10, "maximize offered")
            # And the frame's buttons: a close button only (no "all", no minimize, maximize).
            flags, decorations = int(motif.split(",")[0], 16), int(motif.split(",")[2], 16)
            self.assertTrue(flags & 0x02, "decorations left to the window manager")
            self.assertFalse(decorations & (0x01 | 0x20 | 0x40), hex(decorations))

            # Typing "hh1" into slot 1 shows "$1B" under it. With no OCR at hand, the label's
            # pixels are compared: slot 2 with the same mnemonic draws the same picture, slot 3
            # with another one a different picture, an empty label a third.
            for n, text in ((1, "hh1"), (2, "hh1"), (3, "eh")):
                s.click_twips(*slot_box(n))
                s.type_text(text)
            shot = s.screenshot()
            crops = {}
            for n in (1, 2, 3, 4):
                lx, ly, lw, lh = code_label(n)
                crops[n] = s.crop_rgb(shot, px(lx) + 2, px(ly) + 2, px(lw) - 4, px(lh) - 4)
            self.assertEqual(crops[1], crops[2], "both $1B labels should look alike")
            self.assertNotEqual(crops[1], crops[3], "$1B and $07 look alike")
            self.assertNotEqual(crops[1], crops[4], "Label70 shows nothing")
            self.assertEqual(len(set(crops[4][i:i + 3] for i in range(0, len(crops[4]), 3))), 1,
                             "an empty code label is one colour")

            # A click on "HH1 - He" (Label29: column 2, row 13) sounds hh1.wav, sample for sample.
            s.click_at(px(1695) + 10, px(5715) + 6)
            s.wait_for(lambda: find(s.captured(), hh1) >= 0, 10, "hh1.wav in the sound output")

            # Closing through the window manager ends the program with status 0.
            s.close_with_wm()
            status = s.wait_exit(5)
            out = s.app.stdout.read().decode(errors="replace")
            self.assertEqual(status, 0, out)
            # Without a sound server, one line of the program's says what plays instead (ALSA's
            # own lines are silenced; SDL's disk driver, the tests' stand-in, announces itself).
            ours = [line for line in out.splitlines() if not line.startswith("CRITICAL: ")]
            self.assertEqual(ours, ["quorlin-tessary: no sound server answers; playing through "
                                    "SDL's disk output"])

    def test_context_menus(self):
        """Right click on slot 1, "Spell Text Here…", "hello", OK; then Copy's "Copy as C Array…",
        named "hello", pastes a C array that compiles."""
        with Session(BINARY) as s:
            s.extra_env = {"XDG_CONFIG_HOME": os.path.join(s.tmp, "config")}
            s.start()
            x, y, w, h = slot_box(1)
            ox, oy = s.client_origin()
            s.run(["xdotool", "mousemove", "--sync", str(ox + px(x + w / 2)),
                   str(oy + px(y + h / 2)), "click", "3"])
            time.sleep(0.5)
            s.key("Up", "Up", "Return")  # "Spell Text Here…", above the last, "Vocabulary…"
            time.sleep(0.5)
            s.type_text("hello")
            s.key("Return")
            s.click_twips(*COPY)
            self.assertEqual(s.run(["xclip", "-o", "-selection", "clipboard"]),
                             "$1B$07$2D$35$00")

            x, y, w, h = COPY
            s.run(["xdotool", "mousemove", "--sync", str(ox + px(x + w / 2)),
                   str(oy + px(y + h / 2)), "click", "3"])
            time.sleep(0.5)
            s.key("Down", "Return")  # "Copy as C Array…", which asks for the array's name
            time.sleep(0.5)
            s.key("ctrl+a")
            s.type_text("hello")
            s.key("Return")
            array_text = Session.wait_for(
                lambda: s.run(["xclip", "-o", "-selection", "clipboard"], check=False).strip(),
                5, "the array on the clipboard")
            self.assertEqual(array_text,
                             "const uint8_t hello[] = { 0x1B, 0x07, 0x2D, 0x35, 0x00 };")
            source = os.path.join(s.tmp, "word.c")
            with open(source, "w") as f:
                f.write("#include <stdint.h>\n" + array_text + "\nint main(void) { return 0; }\n")
            cc = subprocess.run(["cc", "-std=c99", "-Wall", "-Werror", "-o",
                                 os.path.join(s.tmp, "word"), source], capture_output=True,
                                text=True)
            self.assertEqual(cc.returncode, 0, cc.stderr)

    def test_default_sample_set(self):
        # No set of the user's and none installed: the one the build made beside bin/.
        built = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(BINARY))), "share",
                             "quorlin-tessary", "Set", "hh1.wav")
        self.assertTrue(os.path.exists(built), built)
        with wave.open(built) as w:
            hh1 = array.array("h", w.readframes(w.getnframes()))
        with Session(BINARY) as s:
            s.extra_env = {"XDG_DATA_HOME": os.path.join(s.tmp, "nothing"),
                           "XDG_DATA_DIRS": os.path.join(s.tmp, "nothing")}
            s.start()
            s.click_at(px(1695) + 10, px(5715) + 6)  # "HH1 - He"
            s.wait_for(lambda: find(s.captured(), hh1) >= 0, 10, "the built hh1.wav")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
