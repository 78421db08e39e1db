#!/usr/bin/env python3
"""Payload size: the build's optimal SZDD encoder against Debian's mscompress (a greedy parse),
on the screen saver and on a few larger Windows executables, with sizes, savings and speed.

    bench/payload_size.py            (after tools/build.sh)
"""
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests"))
import harness  # noqa: E402

ENCODER = harness.BUILD / "host" / "szdd"
EXTRA = sorted(Path("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows").glob("*.dll"),
               key=lambda p: p.stat().st_size)[-3:]


def timed(command, repeats):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        subprocess.run(command, check=True, capture_output=True)
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def ours(source, folder, repeats):
    out = folder / "ours.szdd"
    seconds = timed([str(ENCODER), str(source), str(out)], repeats)
    return out.stat().st_size, seconds


def mscompress(source, folder, repeats):
    copy = folder / "input"
    shutil.copy(source, copy)
    # mscompress will not overwrite its own earlier output.
    seconds = timed(["sh", "-c", 'rm -f "$1_" && mscompress "$1"', "sh", str(copy)], repeats)
    return Path(str(copy) + "_").stat().st_size, seconds


def main():
    print(f"{'input':<28}{'raw':>10}{'ours':>10}{'mscompress':>12}{'saved':>8}{'ours MB/s':>11}{'msc MB/s':>10}")
    for source in [harness.SAVER, harness.INSTALLER, *EXTRA]:
        raw = source.stat().st_size
        repeats = 5 if raw < 1_000_000 else 1
        with tempfile.TemporaryDirectory() as folder:
            folder = Path(folder)
            our_size, our_time = ours(source, folder, repeats)
            their_size, their_time = mscompress(source, folder, repeats)
        print(f"{source.name:<28}{raw:>10}{our_size:>10}{their_size:>12}"
              f"{100 * (their_size - our_size) / their_size:>7.2f}%"
              f"{raw / our_time / 1e6:>11.2f}{raw / their_time / 1e6:>10.2f}")


if __name__ == "__main__":
    main()
