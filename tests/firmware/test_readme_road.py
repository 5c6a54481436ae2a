"""The README's road from a list of words to a simulated gadget, run line for line as the
README prints it, in a fresh folder, with tessary on the PATH: the README cannot drift from
what works. The upload is left out: it needs a board."""

import json
import os
import re
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
TESSARY = os.environ.get("TESSARY_CLI", "tessary")
MARK = "<!-- the road: tests/firmware/test_readme_road.py runs the block below -->"


def road():
    """The lines of the block under the mark."""
    with open(os.path.join(ROOT, "README.md")) as f:
        text = f.read()
    block = re.search(re.escape(MARK) + r"\n```sh\n(.*?)\n```", text, re.S)
    if not block:
        raise AssertionError("the README has no road under its mark")
    return block.group(1).splitlines()


class Road(unittest.TestCase):
    def test_the_road_as_printed(self):
        lines = road()
        upload = [line for line in lines if line.startswith("make upload")]
        self.assertEqual(len(upload), 1, "the road ends with the upload")
        script = "set -e\n" + "\n".join(line for line in lines if line not in upload) + "\n"
        env = dict(os.environ, XDG_CONFIG_HOME="/nonexistent",
                   PATH=os.path.dirname(os.path.abspath(TESSARY)) + os.pathsep + os.environ["PATH"])
        with tempfile.TemporaryDirectory() as tmp:
            res = subprocess.run(["bash", "-c", script], cwd=tmp, env=env, capture_output=True,
                                 text=True, timeout=900)
            self.assertEqual(res.returncode, 0, res.stdout[-3000:] + res.stderr[-3000:])
            entries = json.loads(subprocess.run(
                [TESSARY, "vocab", "--format", "json", os.path.join(tmp, "thermometer.txt")],
                env=env, capture_output=True, text=True, check=True).stdout)["entries"]
        said = re.findall(r"^\d+\.\d ([a-z]+[0-9]?)$", res.stdout, re.M)
        self.assertEqual(said, [m for e in entries for m in e["mnemonics"]])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
