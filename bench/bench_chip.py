#!/usr/bin/env python3
"""How the bridge keeps a real chip fed, measured on the simulated board (chip_sim): the time
from starting `tessary say --device` to the first address load, the gap between the end of one
allophone and the load of the next, and the bytes on the wire per allophone.

    bench/bench_chip.py [BUILD]          (BUILD: the build folder, build/ by default)
"""

import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
TEXT = "The quick brown fox jumps over the lazy dog. " * 10


def main():
    with tempfile.TemporaryDirectory() as tmp:
        log = os.path.join(tmp, "chip.log")
        board = subprocess.Popen(
            [os.path.join(BUILD, "bin/chip_sim"), os.path.join(BUILD, "tests/chip/bridge.elf"),
             log],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        pty = next(line.split()[1] for line in board.stdout if line.startswith("pty "))
        start = time.monotonic()
        say = subprocess.Popen([os.path.join(BUILD, "bin/tessary"), "say", "--device", pty,
                                "--text", TEXT])
        first_load = None
        while say.poll() is None:
            if first_load is None and "load" in open(log).read():
                first_load = time.monotonic() - start
            time.sleep(0.001)
        took = time.monotonic() - start
        board.send_signal(signal.SIGTERM)
        board.wait()
        events = [line.split() for line in open(log)]

    loads = [float(e[2]) for e in events if e[0] == "load"]
    starts = [float(e[2]) for e in events if e[0] == "start"]
    ends = [float(e[2]) for e in events if e[0] == "end"]
    n = len(starts)
    # Load of allophone i+1 against the end of allophone i: negative is ahead of time.
    ahead = [loads[i + 1] - ends[i] for i in range(n - 1)]
    waits = [starts[i + 1] - ends[i] for i in range(n - 1)]
    bytes_in, bytes_out = next((int(e[1]), int(e[2])) for e in events if e[0] == "bytes")
    print(f"{n} allophones, say took {took:.2f} s of wall time")
    print(f"first address load {1000 * first_load:.0f} ms after starting tessary (wall clock)")
    print(f"next load against the previous end: median {statistics.median(ahead) / 1000:.1f} ms, "
          f"latest {max(ahead) / 1000:+.3f} ms (negative: loaded ahead; goal under +0.5 ms)")
    print(f"chip waiting between allophones: longest {max(waits) / 1000:.3f} ms (simulated)")
    print(f"bytes per allophone: {bytes_in / n:.2f} to the bridge, {bytes_out / n:.2f} back "
          f"(hello and answer included)")


if __name__ == "__main__":
    main()
