#!/usr/bin/env python3
"""Peak memory of each tessary command for 1 MB and 100 MB of text and of items, read from a
file: what the program holds stays bounded whatever the input's length.

    bench/bench_memory.py [BUILD] [MEGABYTES...]      (build/ and 1 100 by default)

say plays in real time, so it is measured over its first 5 seconds: long enough to have read
and spelled its first pieces, not to have read the whole input (which it never does). render
writes its WAV to standard output (into /dev/null) at a pace of 1 ms, so that 100 MB of items stay a few GB of sound.
"""

import os
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
SIZES = [int(a) for a in sys.argv[2:]] or [1, 100]
TESSARY = os.path.join(BUILD, "bin", "tessary")
TEXT = "The quick brown fox jumps over the lazy dog. "
ITEMS = "hh1 eh ll ow pa1 $1B 7 0x2D\n"


def main():
    with tempfile.TemporaryDirectory() as tmp:
        print(f"{'command':34} {'input':>8} {'peak MiB':>9} {'seconds':>8}")
        for mb in SIZES:
            files = {}
            for name, piece in (("text", TEXT), ("items", ITEMS)):
                path = os.path.join(tmp, f"{name}.txt")
                with open(path, "w") as f:
                    f.write(piece * (mb * 1_000_000 // len(piece)))
                files[name] = path
            rows = [
                ("spell --file", ["spell", "--file", files["text"]], "text", None),
                ("spell --lines --file", ["spell", "--lines", "--file", files["text"]], "text",
                 None),
                ("codes --text --file", ["codes", "--text", "--file", files["text"]], "text",
                 None),
                ("codes --file", ["codes", "--file", files["items"]], "items", None),
                ("render --pace 1 --file", ["render", "--pace", "1", "--output", "-",
                                            "--file", files["items"]], "items", None),
                ("say --text --file (first 5 s)", ["say", "--text", "--file", files["text"]],
                 "text", 5),
            ]
            for label, args, kind, seconds in rows:
                script = ("import resource, subprocess, sys, time\n"
                          "p = subprocess.Popen(sys.argv[2:], stdout=subprocess.DEVNULL,"
                          " stderr=subprocess.DEVNULL)\n"
                          "t = time.monotonic()\n"
                          "try:\n    p.wait(timeout=float(sys.argv[1]) or None)\n"
                          "except subprocess.TimeoutExpired:\n    p.kill(); p.wait()\n"
                          "print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024,"
                          " time.monotonic() - t)\n")
                env = dict(os.environ, SDL_AUDIODRIVER="dummy", PULSE_SERVER="unix:/nonexistent")
                res = subprocess.run([sys.executable, "-c", script, str(seconds or 0), TESSARY,
                                      *args], capture_output=True, text=True, env=env)
                mib, took = map(float, res.stdout.split())
                print(f"{label:34} {mb:>5} MB {mib:>9.1f} {took:>8.1f}  ({kind})", flush=True)


if __name__ == "__main__":
    main()
