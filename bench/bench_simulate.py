#!/usr/bin/env python3
"""How fast `tessary simulate` runs a firmware: the driver's example (it says "hello" once a
second, busy-waiting on the chip between codes), built with Debian's Arduino core, simulated
for 20 s; prints the simulated seconds per second of wall clock.

    bench/bench_simulate.py [BUILD]          (BUILD: the build folder, build/ by default)
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
sys.path.insert(0, os.path.join(ROOT, "tests", "firmware"))
os.environ.setdefault("CHIP_SIM", os.path.join(BUILD, "bin", "chip_sim"))
from test_sketches import build_sketch  # noqa: E402

SECONDS = 20


def main():
    with tempfile.TemporaryDirectory() as tmp:
        folder = os.path.join(tmp, "HelloChip")
        shutil.copytree(os.path.join(ROOT, "firmware", "SP0256", "examples", "HelloChip"), folder)
        elf = build_sketch(folder)
        start = time.monotonic()
        res = subprocess.run([os.path.join(BUILD, "bin", "tessary"), "simulate", "--seconds",
                              str(SECONDS), elf], capture_output=True, text=True)
        took = time.monotonic() - start
    lines = res.stdout.splitlines()
    print(f"{SECONDS} s simulated in {took:.2f} s: {SECONDS / took:.1f} times real time, "
          f"{len(lines)} allophones, exit {res.returncode}")


if __name__ == "__main__":
    main()
