"""What a screen reader finds in the real window, read through AT-SPI on Xvfb: every control has
a name, and a slot is heard with its code."""

import json
import os
import subprocess
import sys
import time
import unittest

from harness import Session

BINARY = os.environ.get("TESSARY_BINARY", "quorlin-tessary")
# pyatspi is Debian's, for Debian's own Python.
SYSTEM_PYTHON = "/usr/bin/python3"
INTERACTIVE = {"push button", "check box", "radio button", "text", "label"}

# Lists every accessible of the program's window: role, name, description.
PROBE = r"""
import json, sys, pyatspi
def walk(node, out):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is None:
            continue
        out.append((child.getRoleName(), child.name, child.description))
        walk(child, out)
desktop = pyatspi.Registry.getDesktop(0)
apps = [desktop.getChildAtIndex(i) for i in range(desktop.childCount)]
app = next((a for a in apps if a is not None and a.name == "quorlin-tessary"), None)
out = []
if app is not None:
    walk(app, out)
print(json.dumps(out))
"""


def slot_box(n):
    return (98 + 360 * (n - 1), 150, 375, 285)


class Accessibility(unittest.TestCase):
    def read_tree(self, s):
        def probe():
            res = subprocess.run([SYSTEM_PYTHON, "-c", PROBE], env=s.env, capture_output=True,
                                 text=True, timeout=30)
            found = json.loads(res.stdout or "[]")
            return found if len(found) > 100 else None
        return Session.wait_for(probe, 40, "the window's accessibles")

    def test_every_control_has_a_name(self):
        with Session(BINARY, extra_env={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}) as s:
            s.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
            s.start()
            s.click_twips(*slot_box(1))
            s.type_text("hh1")
            time.sleep(0.3)
            tree = self.read_tree(s)

        unnamed = [(role, desc) for role, name, desc in tree if role in INTERACTIVE and not name]
        self.assertEqual(unnamed, [])
        by_role = {}
        for role, name, desc in tree:
            by_role.setdefault(role, {})[name] = desc
        self.assertEqual(set(by_role["text"]),
                         {f"Slot {n}" for n in range(1, 31)} | {"Speed"})
        self.assertEqual(by_role["text"]["Slot 1"], "Code $1B")
        self.assertEqual(by_role["text"]["Slot 2"], "No code")
        self.assertLessEqual({"SPEAK", "Clear All", "Copy"}, set(by_role["push button"]))
        self.assertEqual(set(by_role["check box"]), {"Type 'n' Talk"})
        self.assertEqual(set(by_role["radio button"]), {"Emulate", "Hardware"})
        labels = by_role["label"]
        for caption in ("HH1 - He", "OW - Beau", "ZZ - Zoo"):
            self.assertEqual(labels.get(caption), "Click to hear it", caption)
        self.assertEqual(labels.get("Code of slot 1"), "Code $1B")
        self.assertEqual(len([d for d in labels.values() if d == "Click to hear it"]), 64)

    def test_vocabulary_window_controls_are_named(self):
        with Session(BINARY, extra_env={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}) as s:
            s.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
            s.start()
            s.key("ctrl+l")
            time.sleep(0.5)
            tree = self.read_tree(s)
        roles = INTERACTIVE | {"table", "list", "menu", "menu item", "menu bar"}
        unnamed = [(role, desc) for role, name, desc in tree if role in roles and not name]
        self.assertEqual(unnamed, [])
        names = {name for _, name, _ in tree}
        self.assertLessEqual({"Entries", "Problems in the file", "Add the slots as an entry",
                              "Load the entry into the slots",
                              "Give the entry the slots' allophones", "Listen to the entry"},
                             names)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
