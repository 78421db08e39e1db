#!/usr/bin/env python3
"""Start-up and Retry under Wine and Xvfb, in a throwaway prefix:

- from starting Install.exe to its dialog being visible, and to the preview's child window
  existing, against a bare program that shows the same dialog template and nothing else,
  started the same way in the same run (goal: the dialog no later than 1.1x the bare one).
  The dialog shows only once the saver has been expanded and started, so the time without the
  player, where neither happens, is printed too: it is what the dialog itself costs;
- from pressing Retry to the new preview's child window (the 100 ms pause is part of it);
- from posting WM_CLOSE to the saver's preview window to its process having ended, which must
  be well within the installer's 100 ms pause before it rewrites the file.

    bench/startup.py [ROUNDS]        (after tools/build.sh)
"""
import statistics
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests"))
import harness  # noqa: E402

STEP = harness.STEP_MS


def median(values):
    return statistics.median(values) if values else float("nan")


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    display = harness.Xvfb()
    try:
        with harness.throwaway_prefix(display) as wine:
            installer_dialog, preview, bare_dialog, missing_face, retry = [], [], [], [], []
            for _ in range(rounds):
                # Alternate the two programs, so that both see the same machine.
                result = wine.drive(["flash on", r'start "C:\qk\Install.exe"', f"dialog {STEP}", f"preview {STEP}",
                                     "press 2", f"waitexit {STEP}"])
                installer_dialog.append(int(result.one("dialog")["ms"]))
                preview.append(int(result.one("preview")["ms"]))
                result = wine.drive([r'start "C:\qk\bare_dialog.exe"', f"dialog {STEP}", "press 2", f"waitexit {STEP}"])
                bare_dialog.append(int(result.one("dialog")["ms"]))
                # Without the player nothing is expanded or started before the dialog shows.
                result = wine.drive(["flash off", r'start "C:\qk\Install.exe"', f"dialog {STEP}", "press 2",
                                     f"waitexit {STEP}"])
                missing_face.append(int(result.one("dialog")["ms"]))
            result = wine.drive(["flash off", r'start "C:\qk\Install.exe"', f"dialog {STEP}", "press 1002", "sleep 1000",
                                 "flash on", "press 4", f"preview {STEP}",
                                 *[line for _ in range(rounds) for line in ("press 4", f"newpreview {STEP}")],
                                 "press 2", f"waitexit {STEP}"])
            retry = [int(p["since_action"]) for p in result.all("preview")[1:]]
            closing = []
            for _ in range(rounds):
                result = wine.drive(["host 300 244", "startsaver /p %h", f"hostchild {STEP}", "sleep 1000",
                                     "closechild 5000", f"waitexit {STEP}"])
                closing.append(int(result.one("closechild")["ms"]))
    finally:
        display.stop()

    print(f"rounds: {rounds} (medians, milliseconds; 32-bit code runs emulated here)")
    print(f"bare dialog visible          {median(bare_dialog):8.0f}   {bare_dialog}")
    print(f"Install.exe dialog visible   {median(installer_dialog):8.0f}   {installer_dialog}")
    print(f"Install.exe preview child    {median(preview):8.0f}   {preview}")
    print(f"dialog ratio (goal <= 1.10)  {median(installer_dialog) / median(bare_dialog):8.2f}")
    print(f"without the player, visible {median(missing_face):8.0f}   {missing_face}")
    print(f"  its ratio to the bare one  {median(missing_face) / median(bare_dialog):8.2f}")
    print(f"Retry to new preview child   {median(retry):8.0f}   {retry}")
    print(f"preview WM_CLOSE to its end  {median(closing):8.0f}   {closing}   (goal well under 100)")


if __name__ == "__main__":
    main()
