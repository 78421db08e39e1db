"""Runs the product and the test programs inside a throwaway Wine prefix under Xvfb.

Everything that happens inside Wine is driven by tests/win/driver.exe, which reads a script of
commands and writes what it sees to a result file; this module writes those scripts, runs them
and reads the results back.
"""
import contextlib
import itertools
import os
import pwd
import re
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
BUILD = Path(os.environ.get("QK_BUILD_DIR", REPO / "build"))
INSTALLER = BUILD / "release" / "Install.exe"
SAVER = BUILD / "saver" / "QKScreensaver.exe"
PAYLOAD = BUILD / "payload.szdd"
TEST_PROGRAMS = BUILD / "tests"
ARTIFACTS = Path(os.environ.get("QK_ARTIFACTS", BUILD / "artifacts"))

WINDOWS_USER_LOCAL_APPDATA = rf"C:\users\{pwd.getpwuid(os.getuid()).pw_name}\AppData\Local"
FLASH_KEY = r"CLSID\{D27CDB6E-AE6D-11cf-96B8-444553540000}"
DOWNLOAD_URL = "http://www.macromedia.com/shockwave/download/index.cgi?P1_Prod_Version=ShockwaveFlash"

# A temporary folder so long that "QKScreensaver.exe" no longer fits behind it in MAX_PATH.
LONG_TEMP_FOLDER = "C:\\" + "\\".join(["d" * 60] * 4)

# Generous: every 32-bit process runs under qemu emulation here.
STEP_MS = 60000


class Xvfb:
    def __init__(self):
        read, write = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as pipe:
            self.display = ":" + pipe.readline().strip()

    def screenshot(self, path):
        path.parent.mkdir(parents=True, exist_ok=True)
        # The virtual desktop fills the top left 800x600 of the screen.
        subprocess.run(["import", "-display", self.display, "-window", "root", "-crop", "800x600+0+0", "+repage",
                        str(path)], check=True)

    def stop(self):
        self.process.terminate()
        self.process.wait()


def unhex(text):
    return bytes.fromhex(text)


class Result:
    """What one driver script saw, line by line."""

    def __init__(self, text, trace):
        self.lines = [line.split(" ") for line in text.splitlines() if line]
        self.trace = trace

    def all(self, verb):
        return [self._fields(line) for line in self.lines if line[0] == verb]

    def one(self, verb):
        found = self.all(verb)
        assert found, f"the driver reported no {verb!r}: {self.lines}"
        return found[0]

    @staticmethod
    def _fields(line):
        fields = {"args": line[1:]}
        for word in line[1:]:
            if "=" in word:
                key, value = word.split("=", 1)
                fields[key] = value
        return fields

    def controls(self, verb="control", which=0):
        """The children of the dialog (or of a message box) in Z order, from the which-th dump."""
        dumps, current = [], None
        for line in self.lines:
            if line[0] == verb:
                if line[1] == "0":
                    current = []
                    dumps.append(current)
                fields = self._fields(line)
                fields["text"] = unhex(fields["text"])
                fields["id"] = int(fields["id"])
                fields["enabled"] = fields["enabled"] == "1"
                current.append(fields)
        return dumps[which]

    def control(self, ident, which=0):
        return next(c for c in self.controls(which=which) if c["id"] == ident)

    def errors(self):
        return [line for line in self.lines if line[0] == "error"]

    def exit_code(self):
        value = self.one("exit")["args"][0]
        return None if value == "timeout" else int(value)

    def dialog_results(self):
        """The values that EndDialog was given for the installer dialog, from Wine's trace."""
        hwnd = self.one("dialog")["hwnd"].lower()
        return [int(value) for window, value in re.findall(r"trace:dialog:EndDialog (\S+) (-?\d+)", self.trace)
                if window.lower().lstrip("0") == hwnd.lstrip("0")]

    def started(self, program):
        """Command lines of the processes started for program (a file name), from Wine's trace."""
        found = []
        for match in re.finditer(r'CreateProcessInternalW app \S+ cmdline L"((?:[^"\\]|\\.)*)"', self.trace):
            line = re.sub(r"\\(.)", r"\1", match.group(1))
            if program.lower() in line.lower():
                found.append(line)
        return found


class WinePrefix:
    """A Wine prefix of the tests' own, with the driver and the recorders in C:\\qk."""

    counter = itertools.count()

    def __init__(self, root, display):
        self.root = Path(root)
        self.env = dict(os.environ, WINEPREFIX=str(self.root), DISPLAY=display, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", WINEARCH="win64")
        self.env.pop("WINESERVER", None)
        # Wine links the prefix's user folders to $HOME; a bare CI environment may not set it.
        self.env.setdefault("HOME", str(self.root.parent))
        self.qk = self.root / "drive_c" / "qk"

    def wine(self, *args, timeout=300, env=None):
        with tempfile.TemporaryFile() as log:
            subprocess.run(["wine", *args], env=env or self.env, stdout=log, stderr=log, timeout=timeout,
                           check=False)

    def boot(self):
        # Booted without a display, so that no desktop window is left behind from the boot.
        headless = {k: v for k, v in self.env.items() if k != "DISPLAY"}
        subprocess.run(["wineboot", "-i"], env=headless, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=600, check=True)
        subprocess.run(["wineserver", "-w"], env=headless, timeout=600, check=False)
        # A crash must fail the test, not wait for ever in Wine's debugger.
        for view in ("/reg:64", "/reg:32"):
            self.wine("reg", "add", r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug", "/v",
                      "Debugger", "/d", "", "/f", view)
            self.wine("reg", "add", r"HKCR\http\shell\open\command", "/ve", "/d",
                      r'"C:\qk\browser.exe" "%1"', "/f", view)
        # One virtual desktop for the whole session: window frames in screenshots, and no
        # desktop to create (and wait for) on every run.
        self.wine("reg", "add", r"HKCU\Software\Wine\Explorer", "/v", "Desktop", "/d", "Default", "/f")
        self.wine("reg", "add", r"HKCU\Software\Wine\Explorer\Desktops", "/v", "Default", "/d", "800x600", "/f")
        # The desktop made while the settings were written is not virtual: let it go.
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=600, check=False)
        self.qk.mkdir(parents=True, exist_ok=True)
        for program in TEST_PROGRAMS.glob("*.exe"):
            shutil.copy(program, self.qk)
        shutil.copy(TEST_PROGRAMS / "recorder.exe", self.qk / "browser.exe")
        # What a 32-bit program starts as the system directory's rundll32.exe.
        shutil.copy(TEST_PROGRAMS / "recorder.exe", self.windows / "syswow64" / "rundll32.exe")
        self.refresh_installer()

    def refresh_installer(self):
        shutil.copy(INSTALLER, self.qk / "Install.exe")
        shutil.copy(SAVER, self.qk / "QKScreensaver.scr")

    def host_path(self, windows_path):
        drive, rest = windows_path.split(":", 1)
        assert drive.upper() == "C", windows_path
        parts = [p for p in rest.replace("\\", "/").split("/") if p]
        path = self.root / "drive_c"
        for part in parts:
            # Wine maps names case-insensitively; find the real spelling where it exists.
            match = next((c for c in path.iterdir() if c.name.lower() == part.lower()), None) \
                if path.is_dir() else None
            path = match if match else path / part
        return path

    @property
    def temp(self):
        return self.root / "drive_c" / "users" / pwd.getpwuid(os.getuid()).pw_name / "Temp"

    @property
    def windows(self):
        return self.root / "drive_c" / "windows"

    def recorder_log(self, name):
        return self.windows / "syswow64" / "rundll32.log" if name == "rundll32" else self.qk / f"{name}.log"

    def recorded(self, name):
        log = self.recorder_log(name)
        return log.read_text(errors="replace").splitlines() if log.exists() else []

    def clear_recorded(self, name):
        self.recorder_log(name).unlink(missing_ok=True)

    def drive(self, script, trace=False, on_mark=None, timeout=600):
        """Runs a driver script (a list of lines); every script ends by ending what it started."""
        n = next(self.counter)
        out, commands = self.qk / f"result{n}.txt", self.qk / f"script{n}.txt"
        out.unlink(missing_ok=True)
        commands.write_text("\n".join([*script, "killall"]) + "\n")
        env = dict(self.env, WINEDEBUG="-all,+process,+dialog" if trace else "-all")
        program = [r"C:\qk\driver.exe", rf"C:\qk\result{n}.txt", rf"C:\qk\script{n}.txt"]
        with tempfile.TemporaryFile() as log:
            process = subprocess.Popen(["wine", *program], env=env, stdout=log, stderr=log)
            seen = set()
            deadline = time.monotonic() + timeout
            while process.poll() is None and time.monotonic() < deadline:
                time.sleep(0.2)
                if out.exists():
                    for line in out.read_text().splitlines():
                        if line.startswith("mark ") and line not in seen:
                            seen.add(line)
                            if on_mark:
                                on_mark(line[5:])
                            (self.qk / f"marked-{line[5:]}").touch()
                if out.exists() and out.read_text().endswith("done\n"):
                    break
            try:
                process.wait(timeout=30)
            except subprocess.TimeoutExpired:
                process.kill()
            log.seek(0)
            trace_text = log.read().decode(errors="replace")
        text = out.read_text() if out.exists() else ""
        assert text.endswith("done\n"), f"driver did not finish: {text!r}"
        return Result(text, trace_text)

    def run_program(self, *args, timeout=300):
        """Runs a console test program to its end, outside any desktop."""
        self.wine(*args, timeout=timeout)

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env, check=False)


@contextlib.contextmanager
def throwaway_prefix(display):
    """A booted prefix of its own in a temporary folder, ended and removed afterwards."""
    root = tempfile.mkdtemp(prefix="qk-wine-")
    wine = WinePrefix(root, display.display)
    try:
        wine.boot()
        yield wine
    finally:
        wine.stop()
        shutil.rmtree(root, ignore_errors=True)
