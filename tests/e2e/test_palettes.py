"""The real window under the desktop's light palette and a dark one (qt6ct's "darker" colour
scheme, as a desktop sets it): the texts the window colours itself (a slot, a code label) read
dark on their light faces under both, while the dialogs take the desktop's colours. A
screenshot of the window, Spell Text and the Vocabulary window under each palette goes to
TESSARY_SHOTS where that names a folder."""

import os
import shutil
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Session, px  # noqa: E402
from test_window import BINARY, code_label, slot_box  # noqa: E402

DARK_SCHEME = "/usr/share/qt6ct/colors/darker.conf"


def grays(rgb):
    return [(rgb[i] * 299 + rgb[i + 1] * 587 + rgb[i + 2] * 114) // 1000
            for i in range(0, len(rgb) - 2, 3)]


def inner(box, margin=2):
    x, y, w, h = (px(v) for v in box)
    return x + margin, y + margin, w - 2 * margin, h - 2 * margin


class Palettes(unittest.TestCase):
    def test_light_and_dark(self):
        shots = os.environ.get("TESSARY_SHOTS")
        for palette in ("light", "dark"):
            with self.subTest(palette), Session(BINARY) as s:
                config = os.path.join(s.tmp, "config")
                os.makedirs(os.path.join(config, "qt6ct"))
                s.extra_env = {"XDG_CONFIG_HOME": config}
                if palette == "dark":
                    with open(os.path.join(config, "qt6ct", "qt6ct.conf"), "w") as f:
                        f.write(f"[Appearance]\ncolor_scheme_path={DARK_SCHEME}\n"
                                "custom_palette=true\nstyle=Fusion\n")
                    s.extra_env["QT_QPA_PLATFORMTHEME"] = "qt6ct"
                s.start()
                s.click_twips(*slot_box(1))
                s.type_text("hh1")
                shot = s.screenshot()
                for what, box in (("slot 1", slot_box(1)), ("its code", code_label(1))):
                    g = grays(s.crop_rgb(shot, *inner(box)))
                    self.assertLess(min(g), 90, f"{what}: no dark text")
                    self.assertGreater(sorted(g)[len(g) // 2], 170, f"{what}: no light face")
                if shots:
                    os.makedirs(shots, exist_ok=True)
                    shutil.copy(shot, os.path.join(shots, f"window-{palette}.png"))

                # Spell Text (Ctrl+T in the slot): the desktop's own colours.
                s.key("ctrl+t")
                dialog = Session.wait_for(lambda: s.run(
                    ["xdotool", "search", "--onlyvisible", "--name", "^Spell Text$"],
                    check=False).split(), 10, "Spell Text")[0]
                time.sleep(0.5)
                face = s.run(["xwininfo", "-id", dialog])
                geo = {k.strip(): int(v) for k, v in (line.split(":", 1) for line in
                       face.splitlines() if ":" in line and v_is_int(line))}
                shot = s.screenshot()
                ox, oy = s.client_origin()
                g = grays(s.crop_rgb(shot, geo["Absolute upper-left X"] - ox + 4,
                                     geo["Absolute upper-left Y"] - oy + 4, 40, 40))
                mean = sum(g) / len(g)
                if palette == "dark":
                    self.assertLess(mean, 110, "the dialog is not dark")
                else:
                    self.assertGreater(mean, 150, "the dialog is not light")
                if shots:
                    shutil.copy(shot, os.path.join(shots, f"spell-{palette}.png"))
                s.key("Escape")
                time.sleep(0.3)
                s.key("ctrl+l")
                Session.wait_for(lambda: s.run(["xdotool", "search", "--onlyvisible", "--name",
                                                "Vocabulary$"], check=False).split(), 10,
                                 "the Vocabulary window")
                time.sleep(0.5)
                if shots:
                    shutil.copy(s.screenshot(), os.path.join(shots, f"vocabulary-{palette}.png"))


def v_is_int(line):
    return line.split(":", 1)[1].strip().lstrip("-").isdigit()


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
