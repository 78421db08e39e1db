#!/usr/bin/env python3
"""The full-screen saver over a long run, under Wine and Xvfb: CPU use (percent of one core)
and its GDI objects, window-manager objects and handles at the start and at the end.
Goals: under 1% of a core, no growth.

    bench/saver_cpu.py [SECONDS]     (default 30; after tools/build.sh)
"""
import shutil
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests"))
import harness  # noqa: E402


def main():
    seconds = int(sys.argv[1]) if len(sys.argv) > 1 else 30
    display = harness.Xvfb()
    root = tempfile.mkdtemp(prefix="qk-bench-")
    wine = harness.WinePrefix(root, display.display)
    try:
        wine.boot()
        rows = []
        for clock in range(6):
            wine.wine("reg", "add", r"HKCU\Software\Morvell\QK Screensaver", "/v", "ClockType", "/t", "REG_DWORD",
                      "/d", str(clock), "/f")
            result = wine.drive(["startsaver /s", f"window QKScreensaverWindow {harness.STEP_MS}", "sleep 3000",
                                 "usage", f"sleep {seconds * 1000}", "usage", "key 65", "waitexit 20000"],
                                timeout=seconds + 300)
            start, end = result.all("usage")
            busy = (int(end["cpu100ns"]) - int(start["cpu100ns"])) / 1e4
            elapsed = int(end["ms"]) - int(start["ms"])
            rows.append((clock, 100 * busy / elapsed, start, end))
    finally:
        wine.stop()
        display.stop()
        shutil.rmtree(root, ignore_errors=True)
    print(f"full screen for {seconds} s per clock (seconds shown), 32-bit code emulated by qemu here")
    print("(Wine reports 0 GDI, USER and handle counts; private bytes show a leak all the same)")
    print(f"{'clock':<6}{'cpu %':>8}{'gdi':>10}{'user':>10}{'handles':>10}{'private KB':>22}")
    for clock, cpu, start, end in rows:
        counts = "".join(f"{start[k] + '->' + end[k]:>10}" for k in ("gdi", "user", "handles"))
        memory = f"{int(start['private']) // 1024}->{int(end['private']) // 1024}"
        print(f"{clock:<6}{cpu:>8.2f}{counts}{memory:>22}")


if __name__ == "__main__":
    main()
