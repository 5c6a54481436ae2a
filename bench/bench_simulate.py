#!/usr/bin/env python3
"""How fast `tessary simulate` runs each example gadget, built with Debian's Arduino core by its
own Makefile for the board: simulated seconds per second of wall clock, against a goal of 20.
The driver example says "hello" again and again; the kitchen timer has its button pressed and
its LED watched, and runs its whole minute.

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
os.environ.setdefault("TESSARY_CLI", os.path.join(BUILD, "bin", "tessary"))
from test_sketches import build_sketch, make_example  # noqa: E402

GOAL = 20
# (example, board settings, simulate's options, simulated seconds)
ROWS = [("HelloChip", [], [], 20),
        ("Thermometer", ["BOARD_TAG=uno"], [], 20),
        ("Thermometer", ["BOARD_TAG=mega", "BOARD_SUB=atmega2560"], [], 20),
        ("Thermometer", ["BOARD_TAG=leonardo"], [], 20),
        ("Clock", ["BOARD_TAG=uno"], [], 20),
        ("KitchenTimer", ["BOARD_TAG=uno"], ["--press", "D2@1.5", "--watch", "D13"], 64)]


def main():
    worst = None
    for name, board, options, seconds in ROWS:
        with tempfile.TemporaryDirectory() as tmp:
            if name == "HelloChip":
                folder = os.path.join(tmp, name)
                shutil.copytree(os.path.join(ROOT, "firmware", "SP0256", "examples", name),
                                folder)
                elf = build_sketch(folder)
            else:
                elf = make_example(tmp, name, *board)
            start = time.monotonic()
            res = subprocess.run([os.environ["TESSARY_CLI"], "simulate", *options, "--seconds",
                                  str(seconds), elf], capture_output=True, text=True)
            took = time.monotonic() - start
        factor = seconds / took
        worst = factor if worst is None else min(worst, factor)
        said = sum(1 for line in res.stdout.splitlines() if "=" not in line)
        print(f"{name:13} {(board or ['uno'])[0]:20} {seconds:3d} s simulated in {took:6.2f} s: "
              f"{factor:6.1f} times real time, {said} allophones, exit {res.returncode}")
    print(f"slowest: {worst:.1f} times real time (goal: {GOAL})")


if __name__ == "__main__":
    main()
