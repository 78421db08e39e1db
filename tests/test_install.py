"""Install, end to end: the real Install.exe in Wine, its preview running, the Install button
pressed (or Enter), the message box read and dismissed as a user would."""
import configparser
import shutil

import pytest

import harness
from harness import STEP_MS

START = r'start "C:\qk\Install.exe"'
INSTRUCTION = (b'Select "QK Screensaver" from the selection list\n'
               b"Press <Settings> to select the type of clock\n")
FAILURE = b"Unable to install QK Screensaver"
CONTROL_PANEL = r'"C:\windows\system32\rundll32.exe" shell32.dll,Control_RunDLL desk.cpl,,1'
WINDOWS_TARGET = r"C:\windows\QKScreensaver.scr"
OLDER_COPY = b"an older QK Screensaver"


class Places:
    def __init__(self, prefix):
        self.prefix = prefix
        self.windows_target = prefix.windows / "QKScreensaver.scr"
        self.fallback_folder = prefix.host_path(harness.WINDOWS_USER_LOCAL_APPDATA) / "QKScreensaver"
        self.fallback_target = self.fallback_folder / "QKScreensaver.scr"
        self.fallback_windows = harness.WINDOWS_USER_LOCAL_APPDATA + r"\QKScreensaver\QKScreensaver.scr"
        self.system_ini = prefix.windows / "system.ini"

    def reset(self):
        for place in (self.windows_target, self.fallback_folder):
            if place.is_dir():
                shutil.rmtree(place)
            elif place.exists():
                place.unlink()
        ini = self.system_ini.read_text()
        self.system_ini.write_text("\n".join(l for l in ini.split("\n") if not l.startswith("SCRNSAVE.EXE=")))
        self.prefix.clear_recorded("rundll32")

    def block(self, target):
        """A directory where the file should go: the copy there fails, whatever the permissions."""
        target.mkdir(parents=True)

    def entry(self):
        ini = configparser.ConfigParser(strict=False, interpolation=None)
        ini.read_string(self.system_ini.read_text())
        return ini.get("boot", "SCRNSAVE.EXE", fallback=None)


@pytest.fixture
def places(prefix, clean_temp):
    places = Places(prefix)
    places.reset()
    yield places
    places.reset()


def install(prefix, places, key="press 1", shortpath=WINDOWS_TARGET):
    at_message = {}

    def on_mark(name):
        at_message["rundll32"] = prefix.recorded("rundll32")
        at_message["entry"] = places.entry()

    result = prefix.drive([
        "flash on", "screensaver 0", START, f"dialog {STEP_MS}", f"preview {STEP_MS}", key,
        f"msgbox {STEP_MS}", "mark message", "dismiss", f"waitexit {STEP_MS}", "sleep 2000",
        "screensaver", f"shortpath {shortpath}",
    ], trace=True, on_mark=on_mark)
    assert not result.errors()
    assert result.dialog_results() == [1]
    assert result.exit_code() == 0
    return result, at_message


def message(result):
    box = result.one("msgbox")
    controls = result.controls("msgboxcontrol")
    text = max((c["text"] for c in controls if c["class"] == "Static"), key=len)
    icons = [c["icon"] for c in controls if c["class"] == "Static" and c["visible"] == "1" and c["icon"] != "none"]
    buttons = [c["text"] for c in controls if c["class"] == "Button"]
    return dict(caption=harness.unhex(box["caption"]), text=text, owner=box["owner"],
                icon=icons == ["present"], no_icon=icons == [], buttons=buttons)


def assert_installed(result, at_message, places, installed, saver):
    assert installed.read_bytes() == saver
    short = harness.unhex(result.one("shortpath")["args"][0]).decode()
    assert short and places.entry() == short
    assert [r["args"] for r in result.all("screensaver")] == [["active=0", "saved=0"], ["active=1", "saved=1"]]
    box = message(result)
    assert box["caption"] == b"QK Screensaver" and box["text"] == INSTRUCTION
    assert box["owner"] == "0" and box["no_icon"] and box["buttons"] == [b"OK"]
    # The entry is written before the instruction shows; the control panel only after it.
    assert at_message == {"rundll32": [], "entry": short}
    assert places.prefix.recorded("rundll32") == [CONTROL_PANEL]


def test_install_to_the_windows_directory_replacing_an_older_copy(prefix, places):
    places.windows_target.write_bytes(OLDER_COPY)
    result, at_message = install(prefix, places, key="key 13")   # Enter: Install is the default
    assert_installed(result, at_message, places, places.windows_target, harness.SAVER.read_bytes())
    assert not places.fallback_folder.exists()


@pytest.mark.parametrize("older_copy", [False, True])
def test_install_to_the_fallback_folder_when_the_windows_directory_is_unwritable(prefix, places, older_copy):
    places.block(places.windows_target)
    if older_copy:
        places.fallback_folder.mkdir()
        places.fallback_target.write_bytes(OLDER_COPY)
    result, at_message = install(prefix, places, shortpath=places.fallback_windows)
    assert_installed(result, at_message, places, places.fallback_target, harness.SAVER.read_bytes())


def test_neither_place_writable_only_warns(prefix, places):
    places.block(places.windows_target)
    places.block(places.fallback_target)
    ini_before = places.system_ini.read_bytes()
    result, at_message = install(prefix, places)
    box = message(result)
    assert box["caption"] == b"QK Screensaver" and box["text"] == FAILURE
    # Which icon shows cannot be told from another process under Wine (its bitmaps are the
    # message box's own); that it is the warning icon rests on MB_ICONWARNING in the code.
    assert box["owner"] == "0" and box["icon"] and box["buttons"] == [b"OK"]
    assert places.system_ini.read_bytes() == ini_before
    # The setting saved in the user's profile is untouched. (Wine's live answer to the driver
    # turns to 1 during the run whatever the installer does, so only the saved one is compared.)
    assert [r["args"][1] for r in result.all("screensaver")] == ["saved=0"] * 2
    assert prefix.recorded("rundll32") == [] and at_message["rundll32"] == []
    assert places.fallback_target.is_dir()


@pytest.fixture
def missing_local_appdata(prefix):
    """The user's local application-data folder pointed at a place that does not exist."""
    key = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders"
    folder = r"C:\qk\profile\not-yet\Local"
    shutil.rmtree(prefix.host_path(r"C:\qk\profile"), ignore_errors=True)
    prefix.wine("reg", "add", key, "/v", "Local AppData", "/t", "REG_EXPAND_SZ", "/d", folder, "/f")
    yield folder
    prefix.wine("reg", "add", key, "/v", "Local AppData", "/t", "REG_EXPAND_SZ", "/d",
                r"%USERPROFILE%\AppData\Local", "/f")


def test_unresolvable_local_appdata_warns_and_creates_nothing(prefix, places, missing_local_appdata):
    # The shell resolves no folder that does not exist, so the fallback cannot even be named.
    places.block(places.windows_target)
    ini_before = places.system_ini.read_bytes()
    result, _ = install(prefix, places)
    assert message(result)["text"] == FAILURE
    assert not prefix.host_path(r"C:\qk\profile").exists()
    assert places.system_ini.read_bytes() == ini_before
    assert prefix.recorded("rundll32") == []


def test_install_without_an_expanded_saver_warns(prefix, places):
    # A temporary folder too long for the saver's name: nothing was expanded, so nothing can be
    # installed, and Install says so.
    long_folder = harness.LONG_TEMP_FOLDER
    prefix.host_path(long_folder).mkdir(parents=True, exist_ok=True)
    ini_before = places.system_ini.read_bytes()
    result = prefix.drive([
        "flash on", f"env TMP {long_folder}", f"env TEMP {long_folder}", START, f"dialog {STEP_MS}",
        "sleep 3000", "press 1", f"msgbox {STEP_MS}", "dismiss", f"waitexit {STEP_MS}",
    ])
    assert message(result)["text"] == FAILURE
    assert result.exit_code() == 0
    assert not places.windows_target.exists() and not places.fallback_target.exists()
    assert places.system_ini.read_bytes() == ini_before
