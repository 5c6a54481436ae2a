"""Installing: cmake --install into a temporary prefix, and the Debian package from cpack.
The desktop files must validate, and the installed program must speak with its installed set."""

import array
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import wave

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import Session, find, plant_libraries, px  # noqa: E402

BUILD = os.environ["TESSARY_BUILD_DIR"]
APP_ID = "org.quorlin.Tessary"
DESKTOP = f"share/applications/{APP_ID}.desktop"
ICON_PNG = f"share/icons/hicolor/32x32/apps/{APP_ID}.png"
METAINFO = f"share/metainfo/{APP_ID}.metainfo.xml"
EXPECTED = [
    "bin/quorlin-tessary",
    "bin/tessary",
    "lib/quorlin-tessary/modules/libtessary-sound.so",
    "share/man/man1/tessary.1.gz",
    "share/man/man1/quorlin-tessary.1.gz",
    "share/doc/quorlin-tessary/copyright",
    "share/doc/quorlin-tessary/changelog.gz",
    "share/arduino/libraries/SP0256/library.properties",
    "share/arduino/libraries/SP0256/src/SP0256.h",
    "share/doc/quorlin-tessary/examples/KitchenTimer/KitchenTimer.ino",
    f"share/applications/{APP_ID}.desktop",
    f"share/icons/hicolor/scalable/apps/{APP_ID}.svg",
    f"share/icons/hicolor/32x32/apps/{APP_ID}.png",
    f"share/metainfo/{APP_ID}.metainfo.xml",
    "share/quorlin-tessary/Set/hh1.wav",
    "share/quorlin-tessary/Set/pa1.wav",
    "share/quorlin-tessary/Set/zz.wav",
    "share/bash-completion/completions/tessary",
    "share/zsh/vendor-completions/_tessary",
    "share/fish/vendor_completions.d/tessary.fish",
]


def run(argv, **kw):
    return subprocess.run(argv, capture_output=True, text=True, **kw)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    assert head[:8] == b"\x89PNG\r\n\x1a\n", path
    return struct.unpack(">II", head[16:24])


class Install(unittest.TestCase):
    def check_tree(self, prefix):
        for rel in EXPECTED:
            self.assertTrue(os.path.isfile(os.path.join(prefix, rel)), rel)
        wavs = os.listdir(os.path.join(prefix, "share/quorlin-tessary/Set"))
        self.assertEqual(len([w for w in wavs if w.endswith(".wav")]), 64)
        self.assertEqual(png_size(os.path.join(prefix, ICON_PNG)), (32, 32))

        desktop = os.path.join(prefix, DESKTOP)
        res = run(["desktop-file-validate", desktop])
        self.assertEqual(res.returncode, 0, res.stdout + res.stderr)
        self.assertNotIn("error", res.stdout.lower())
        entry = open(desktop).read()
        self.assertIn("Name=Quorlin Tessary\n", entry)
        self.assertIn(f"Icon={APP_ID}\n", entry)
        res = run(["appstreamcli", "validate", "--no-net", os.path.join(prefix, METAINFO)])
        self.assertEqual(res.returncode, 0, res.stdout + res.stderr)

        # The command line runs from the tree, with its manual page.
        tessary = os.path.join(prefix, "bin/tessary")
        res = run([tessary, "spell", "hello world"])
        self.assertEqual((res.returncode, res.stdout), (0, "hh1 eh ll ow pa1 ww er2 ll pa1 dd1 pa1\n"))
        res = run([tessary, "codes", "--text", "--format", "c", "hello"])
        self.assertEqual(res.stdout, "const uint8_t word[] = { 0x1B, 0x07, 0x2D, 0x35, 0x00 };\n")
        # No RUNPATH on either program, and a library planted in the working folder under the
        # name espeak-ng is loaded by stays there.
        for program in ("bin/tessary", "bin/quorlin-tessary",
                        "lib/quorlin-tessary/modules/libtessary-sound.so"):
            self.assertNotIn("PATH", run(["readelf", "-d", os.path.join(prefix, program)]).stdout)
        with tempfile.TemporaryDirectory() as plant:
            plant_libraries(plant, ["libespeak-ng.so.1"])
            res = run([tessary, "spell", "hello"], cwd=plant)
            self.assertEqual((res.returncode, res.stdout, res.stderr), (0, "hh1 eh ll ow pa1\n", ""))
        for page in ("tessary", "quorlin-tessary"):
            res = run(["man", "--warnings", "-l", os.path.join(prefix, f"share/man/man1/{page}.1.gz")],
                      env=dict(os.environ, MANWIDTH="80"))
            self.assertEqual((res.returncode, res.stderr), (0, ""))

    def check_speaks(self, prefix):
        """The installed program, with no set of the user's, plays its installed hh1.wav."""
        with wave.open(os.path.join(prefix, "share/quorlin-tessary/Set/hh1.wav")) as w:
            hh1 = array.array("h", w.readframes(w.getnframes()))
        with Session(os.path.join(prefix, "bin/quorlin-tessary")) as s:
            s.extra_env = {"XDG_DATA_HOME": os.path.join(s.tmp, "nothing"),
                           "XDG_DATA_DIRS": os.path.join(s.tmp, "nothing")}
            s.start()
            s.click_at(px(1695) + 10, px(5715) + 6)  # "HH1 - He"
            s.wait_for(lambda: find(s.captured(), hh1) >= 0, 10, "the installed hh1.wav")
            s.close_with_wm()
            self.assertEqual(s.wait_exit(5), 0)

    def test_cmake_install(self):
        with tempfile.TemporaryDirectory() as prefix:
            res = run(["cmake", "--install", BUILD, "--prefix", prefix])
            self.assertEqual(res.returncode, 0, res.stderr)
            self.check_tree(prefix)
            self.check_speaks(prefix)

    def test_debian_package(self):
        with tempfile.TemporaryDirectory() as out:
            res = run(["cpack", "-G", "DEB", "-B", out], cwd=BUILD)
            self.assertEqual(res.returncode, 0, res.stdout + res.stderr)
            debs = [f for f in os.listdir(out) if f.endswith(".deb")]
            self.assertEqual(len(debs), 1, debs)
            deb = os.path.join(out, debs[0])

            listing = run(["dpkg-deb", "-c", deb]).stdout
            for rel in EXPECTED:
                self.assertIn(f"./usr/{rel}", listing)
            self.assertNotIn("tessary-samplegen", listing)
            self.assertNotIn("/tst_", listing)

            depends = run(["dpkg-deb", "-f", deb, "Depends"]).stdout
            for pkg in ("libqt6widgets6", "libsdl2-2.0-0", "libpulse0", "libespeak-ng1",
                        "libqt6svg6", "fonts-dejavu-extra"):
                self.assertIn(pkg, depends)

            # Debian's own checker finds no error and no warning.
            res = run(["lintian", "--tag-display-limit", "0", deb])
            problems = [line for line in res.stdout.splitlines() if line[:2] in ("E:", "W:")]
            self.assertEqual(problems, [], res.stdout)

            # The package's tree is relocatable: unpacked anywhere, it finds its own set.
            root = os.path.join(out, "root")
            self.assertEqual(run(["dpkg-deb", "-x", deb, root]).returncode, 0)
            self.check_tree(os.path.join(root, "usr"))
            self.check_speaks(os.path.join(root, "usr"))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
