#!/usr/bin/env python3
"""The full-screen saver over a long run, under Wine and Xvfb: CPU use (percent of one core)
and its GDI objects, window-manager objects and handles at the start and at the end.
Goals: under 1% of a core, no growth.

    bench/saver_cpu.py [SECONDS] [--x64]     (default 30; after tools/build.sh)

Here 32-bit code runs under qemu emulation, which costs several times the CPU of native code;
--x64 also measures a 64-bit build of the same saver (built in build-x64), which runs natively
and shows what the drawing itself costs.
"""
import shutil
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests"))
import harness  # noqa: E402


def build_x64():
    top = harness.REPO
    subprocess.run(["cmake", "-S", str(top), "-B", str(top / "build-x64"),
                    f"-DCMAKE_TOOLCHAIN_FILE={top / 'cmake' / 'mingw.cmake'}", "-DQK_ARCH=x86_64", "-DCMAKE_BUILD_TYPE=MinSizeRel",
                    "-DQK_BUILD_TESTS=OFF"], check=True, capture_output=True)
    subprocess.run(["cmake", "--build", str(top / "build-x64"), "--target", "QKScreensaver"], check=True,
                   capture_output=True)
    return top / "build-x64" / "saver" / "QKScreensaver.exe"


def measure(wine, seconds):
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
    return rows


def idle_baseline(wine, seconds):
    """What an idle Wine GUI process (the bare dialog) costs here: Wine's own share."""
    result = wine.drive([r'start "C:\qk\bare_dialog.exe"', f"dialog {harness.STEP_MS}", "sleep 3000", "usage",
                         f"sleep {seconds * 1000}", "usage", "press 2", "waitexit 20000"], timeout=seconds + 300)
    start, end = result.all("usage")
    return 100 * (int(end["cpu100ns"]) - int(start["cpu100ns"])) / 1e4 / (int(end["ms"]) - int(start["ms"]))


def report(title, rows):
    print(title)
    print(f"{'clock':<6}{'cpu %':>8}{'gdi':>10}{'user':>10}{'handles':>10}{'private KB':>22}")
    for clock, cpu, start, end in rows:
        counts = "".join(f"{start[k] + '->' + end[k]:>10}" for k in ("gdi", "user", "handles"))
        memory = f"{int(start['private']) // 1024}->{int(end['private']) // 1024}"
        print(f"{clock:<6}{cpu:>8.2f}{counts}{memory:>22}")


def main():
    arguments = [a for a in sys.argv[1:] if a != "--x64"]
    seconds = int(arguments[0]) if arguments else 30
    x64 = build_x64() if "--x64" in sys.argv else None
    display = harness.Xvfb()
    try:
        with harness.throwaway_prefix(display) as wine:
            baseline = idle_baseline(wine, seconds)
            results = [("i686 (the product), emulated", measure(wine, seconds))]
            if x64:
                shutil.copy(x64, wine.qk / "QKScreensaver.scr")
                results.append(("x86_64, native", measure(wine, seconds)))
    finally:
        display.stop()
    print(f"full screen for {seconds} s per clock, seconds shown")
    print("(Wine reports 0 GDI, USER and handle counts; private bytes show a leak all the same)")
    print(f"an idle dialog under Wine here, for comparison: {baseline:.2f}% of a core")
    for title, rows in results:
        report(title, rows)


if __name__ == "__main__":
    main()
