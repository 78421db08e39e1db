"""The real Install.exe in Wine: both faces of the dialog, the live preview and the ways out."""
import shutil

import pytest

import harness
from harness import DOWNLOAD_URL, STEP_MS

INSTALL, CANCEL, RETRY, PREVIEW, DOWNLOAD = 1, 2, 4, 1001, 1002
START = r'start "C:\qk\Install.exe"'

MISSING_PLAYER_TEXT = (
    b"\n\n\n\n"
    b"You do not have the Macromedia Flash Player\xa9 installed.\n"
    b"You need to install this player first (approx 219 kb)\n"
    b"Press [Download Flash Player] to go to:\n"
    b"\n"
    b"http://www.macromedia.com/shockwave/download/\n"
    b"index.cgi?P1_Prod_Version=ShockwaveFlash\n"
    b"\n"
    b"for downloading the player.\n"
    b"When installation of the player is complete: press [Retry].")
LOADING_TEXT = b"\n\n\n\n\n\nLoading Macomedia Flash (c) player..."


def buttons(result, which=0):
    return {ident: result.control(ident, which)["enabled"] for ident in (INSTALL, DOWNLOAD, RETRY, CANCEL)}


def quit_and_expect_zero(result):
    assert result.exit_code() == 0
    assert not result.errors()


def expected_preview_command(temp_windows_path, preview):
    return f'"{temp_windows_path}QKScreensaver.exe" /P {preview["area"]}'


def test_missing_player_then_download_then_retry_restarts_preview(prefix, clean_temp, display):
    prefix.clear_recorded("browser")
    temp_at_missing = []

    def on_mark(name):
        if name == "missing":
            temp_at_missing.extend(p.name for p in clean_temp.glob("QK*"))
            display.screenshot(harness.ARTIFACTS / "dialog-missing-player.png")

    result = prefix.drive([
        "flash off", "temp", START, f"dialog {STEP_MS}",
        "children", "state", "mark missing",
        "press 1002", "sleep 2000", "press 1002", "sleep 2000", "state",
        "flash on", "press 4", f"preview {STEP_MS}", "state",
        # A Retry whose notification code is not BN_CLICKED must act the same.
        "command 4 777", f"waitpreviewgone {STEP_MS}", f"newpreview {STEP_MS}", "state",
        "press 2", f"waitexit {STEP_MS}",
    ], trace=True, on_mark=on_mark)
    temp = harness.unhex(result.one("temp")["args"][0]).decode()

    # Player missing: the download face, nothing expanded or started.
    assert buttons(result, 0) == {INSTALL: False, DOWNLOAD: True, RETRY: False, CANCEL: True}
    assert result.control(PREVIEW, 0)["text"] == MISSING_PLAYER_TEXT
    assert result.one("children")["args"] == ["0"]
    assert temp_at_missing == []

    # Download, pressed twice: the page opens each time and Retry becomes usable.
    assert prefix.recorded("browser") == [f'"C:\\qk\\browser.exe" "{DOWNLOAD_URL}"'] * 2
    assert buttons(result, 1) == {INSTALL: False, DOWNLOAD: True, RETRY: True, CANCEL: True}

    # Retry with the player present: the preview runs inside the preview area.
    first, second = result.all("preview")
    assert buttons(result, 2) == {INSTALL: True, DOWNLOAD: False, RETRY: True, CANCEL: True}
    assert first["parent_is_area"] == "1" and first["children"] == "1"
    assert harness.unhex(first["image"]).decode().lower() == (temp + "QKScreensaver.exe").lower()

    # The second Retry closed the first preview and started a fresh one the same way.
    assert result.one("previewgone")["args"][0] != "timeout"
    assert second["pid"] != first["pid"] and second["area"] == first["area"]
    assert second["children"] == "1"
    assert buttons(result, 3) == buttons(result, 2)
    assert result.started("QKScreensaver.exe") == [expected_preview_command(temp, first)] * 2

    quit_and_expect_zero(result)


@pytest.mark.parametrize("arguments", ["", "/S", "/c:123 --help junk"])
def test_player_present_previews_whatever_the_command_line(prefix, clean_temp, display, arguments):
    def on_mark(name):
        if not arguments:
            display.screenshot(harness.ARTIFACTS / "dialog-previewing.png")

    result = prefix.drive([
        "flash on", "temp", f"{START} {arguments}", f"dialog {STEP_MS}", f"preview {STEP_MS}", "state",
        "mark previewing", "press 2", f"waitexit {STEP_MS}",
    ], trace=True, on_mark=on_mark)
    temp = harness.unhex(result.one("temp")["args"][0]).decode()
    preview = result.one("preview")
    dialog = result.one("dialog")

    assert harness.unhex(dialog["caption"]) == b"Install QK Screensaver"
    assert dialog["defid"] == str(INSTALL)
    assert buttons(result) == {INSTALL: True, DOWNLOAD: False, RETRY: False, CANCEL: True}
    assert result.control(PREVIEW)["text"] == LOADING_TEXT
    assert preview["parent_is_area"] == "1"
    assert preview["size"] == preview["area_size"]
    assert result.started("QKScreensaver.exe") == [expected_preview_command(temp, preview)]
    # What was started is exactly the saver the build made, and the compressed copy is gone.
    assert (clean_temp / "QKScreensaver.exe").read_bytes() == harness.SAVER.read_bytes()
    assert sorted(p.name for p in clean_temp.glob("QK*")) == ["QKScreensaver.exe"]
    quit_and_expect_zero(result)


@pytest.mark.parametrize("way_out", [
    "press 2",      # Cancel
    "sysclose",     # the close box and the system menu's Close
    "key 27",       # Esc
])
def test_every_way_out_ends_with_exit_code_zero(prefix, clean_temp, way_out):
    result = prefix.drive([
        "flash on", START, f"dialog {STEP_MS}", f"preview {STEP_MS}", way_out, f"waitexit {STEP_MS}",
    ])
    quit_and_expect_zero(result)


def test_unusable_temporary_folder_starts_nothing(prefix, clean_temp):
    long_folder = harness.LONG_TEMP_FOLDER
    assert 242 < len(long_folder) + 1 < 260
    prefix.host_path(long_folder).mkdir(parents=True, exist_ok=True)
    result = prefix.drive([
        "flash on", f"env TMP {long_folder}", f"env TEMP {long_folder}", START, f"dialog {STEP_MS}",
        "sleep 3000", "children", "state", "press 2", f"waitexit {STEP_MS}",
    ], trace=True)
    assert result.one("children")["args"] == ["0"]
    assert result.started("QKScreensaver") == []
    assert list(prefix.host_path(long_folder).iterdir()) == []
    quit_and_expect_zero(result)


def test_lz32_planted_beside_the_installer_is_not_loaded(prefix, clean_temp):
    folder = prefix.qk / "downloads"
    folder.mkdir(exist_ok=True)
    shutil.copy(harness.INSTALLER, folder / "Install.exe")
    shutil.copy(harness.TEST_PROGRAMS / "planted" / "lz32.dll", folder / "lz32.dll")
    result = prefix.drive([
        "flash on", r'start "C:\qk\downloads\Install.exe"', f"dialog {STEP_MS}", f"preview {STEP_MS}",
        "press 2", f"waitexit {STEP_MS}",
    ])
    assert not (folder / "lz32.dll.loaded").exists()
    assert (clean_temp / "QKScreensaver.exe").read_bytes() == harness.SAVER.read_bytes()
    quit_and_expect_zero(result)
