"""The screen saver itself: its command line, its settings, its clocks drawn into memory
bitmaps, and the real QKScreensaver.scr in Wine in each of the ways Windows starts it."""
import math
import struct

import pytest

import harness
from harness import STEP_MS

SETTINGS_KEY = r"HKCU\Software\Morvell\QK Screensaver"
SETTINGS, FULL_SCREEN, PREVIEW, PASSWORD, INVALID = range(5)
CLASSIC, MINIMAL, DIGITAL, DIGITAL_DATE, FLIP, RINGS = range(6)
SIZES = [(300, 244), (152, 112), (1280, 720)]


def probe(prefix, lines):
    (prefix.qk / "saver-script.txt").write_text("\n".join(lines) + "\n")
    (prefix.qk / "saver-result.txt").unlink(missing_ok=True)
    prefix.run_program(r"C:\qk\saver_probe.exe", r"C:\qk\saver-result.txt", r"C:\qk\saver-script.txt")
    result = (prefix.qk / "saver-result.txt").read_text().splitlines()
    assert result[-1] == "done" and not any(line.startswith("error") for line in result), result
    return result[:-1]


PARSES = [
    ("", SETTINGS, 0), ("/c", SETTINGS, 0), ("/C:5678", SETTINGS, 5678), ("-c 42", SETTINGS, 42),
    ("/s", FULL_SCREEN, 0), ("/S", FULL_SCREEN, 0), ("-s", FULL_SCREEN, 0),
    ("/p 1234", PREVIEW, 1234), ("/P 1234", PREVIEW, 1234), ("/p:1234", PREVIEW, 1234),
    ("/P -5014", PREVIEW, -5014), ("/P 4294967295", PREVIEW, -1), ("  /p   77  ", PREVIEW, 77),
    ("/p", INVALID, 0), ("/p abc", INVALID, 0), ("/p 12x", INVALID, 0), ("/p 99999999999", INVALID, 0),
    ("/a", PASSWORD, 0), ("/A 1234", PASSWORD, 0),
]


def test_command_line_parser(prefix):
    result = probe(prefix, [f"parse {line}" for line, _, _ in PARSES])
    assert result == [f"mode {mode} window {window}" for _, mode, window in PARSES]


@pytest.mark.parametrize("stored, expected", [
    ([], "settings 0 1 1"),                                                  # nothing stored: defaults
    ([("ClockType", "REG_DWORD", "4"), ("24HourTime", "REG_DWORD", "0"), ("ShowSeconds", "REG_DWORD", "0")],
     "settings 4 0 0"),
    ([("ClockType", "REG_DWORD", "6"), ("24HourTime", "REG_DWORD", "2"), ("ShowSeconds", "REG_SZ", "0")],
     "settings 0 1 1"),                                                      # out of range, wrong type
    ([("ClockType", "REG_SZ", "3")], "settings 0 1 1"),
])
def test_settings_read_with_defaults_for_what_is_missing_or_invalid(prefix, stored, expected):
    prefix.wine("reg", "delete", SETTINGS_KEY, "/f")
    for name, kind, value in stored:
        prefix.wine("reg", "add", SETTINGS_KEY, "/v", name, "/t", kind, "/d", value, "/f")
    assert probe(prefix, ["load"]) == [expected]


def test_settings_round_trip(prefix):
    prefix.wine("reg", "delete", SETTINGS_KEY, "/f")
    assert probe(prefix, ["save 5 0 1", "load", "save 2 1 0", "load"]) == [
        "saved 1", "settings 5 0 1", "saved 1", "settings 2 1 0"]


def read_bitmap(path):
    data = path.read_bytes()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    height = abs(height)

    def pixel(x, y):
        b, g, r, _ = data[offset + 4 * (int(y) * width + int(x)):offset + 4 * (int(y) * width + int(x)) + 4]
        return r, g, b
    pixel.size = (width, height)
    pixel.data = data[offset:]
    return pixel


def draw(prefix, requests):
    """requests: (type, hours24, seconds, w, h, hh, mm, ss) -> the drawn bitmaps' pixel readers."""
    lines = [f"draw {' '.join(map(str, r))} C:\\qk\\draw{n}.bmp" for n, r in enumerate(requests)]
    probe(prefix, lines)
    return [read_bitmap(prefix.qk / f"draw{n}.bmp") for n in range(len(requests))]


def polar(size, turns, fraction):
    w, h = size
    radius = min(w, h) * 0.44
    angle = turns * 2 * math.pi
    return w / 2 + fraction * radius * math.sin(angle), h / 2 - fraction * radius * math.cos(angle)


def brightness(colour):
    return sum(colour)


@pytest.mark.parametrize("kind", [CLASSIC, MINIMAL])
@pytest.mark.parametrize("size", SIZES)
def test_analog_hands_point_where_the_time_puts_them(prefix, kind, size):
    # 10:08:30: hour hand a little past ten, minute hand past eight minutes, second hand at six.
    pixel, = draw(prefix, [(kind, 1, 1, *size, 10, 8, 30)])
    hour, minute, second = (10 + 8.5 / 60) / 12, 8.5 / 60, 0.5
    hand_is = (lambda c: brightness(c) < 150) if kind == CLASSIC else (lambda c: brightness(c) > 600)
    background_is = (lambda c: brightness(c) > 600) if kind == CLASSIC else (lambda c: brightness(c) < 100)
    assert hand_is(pixel(*polar(size, hour, 0.30)))
    assert hand_is(pixel(*polar(size, minute, 0.55)))
    assert background_is(pixel(*polar(size, hour + 0.25, 0.30)))
    assert background_is(pixel(*polar(size, minute + 0.25, 0.55)))
    r, g, b = pixel(*polar(size, second, 0.7))
    assert r > 150 and r > g + 60 and r > b + 60, "a red or orange second hand at six"


def changed_columns(a, b):
    """The x positions where two equally sized drawings differ."""
    width, height = a.size
    columns = set()
    for offset in range(0, len(a.data), 4):
        if a.data[offset:offset + 3] != b.data[offset:offset + 3]:
            columns.add((offset // 4) % width)
    return columns


@pytest.mark.parametrize("kind", [DIGITAL, DIGITAL_DATE, FLIP])
@pytest.mark.parametrize("size", SIZES)
def test_digits_stand_where_the_time_puts_them(prefix, kind, size):
    base, later_minute, later_hour, later_second = draw(prefix, [
        (kind, 1, 0, *size, 10, 8, 30), (kind, 1, 0, *size, 10, 9, 30), (kind, 1, 0, *size, 20, 8, 30),
        (kind, 1, 1, *size, 10, 8, 31)])
    width = size[0]
    assert len({base(x, y) for x in range(0, width, 7) for y in range(0, size[1], 7)}) > 8, "not blank"
    minute_columns = changed_columns(base, later_minute)
    hour_columns = changed_columns(base, later_hour)
    assert minute_columns and min(minute_columns) > width * 0.55, "the minute's last figure is on the right"
    assert hour_columns and max(hour_columns) < width * 0.45, "the hour's first figure is on the left"
    with_seconds = draw(prefix, [(kind, 1, 1, *size, 10, 8, 30)])[0]
    assert min(changed_columns(with_seconds, later_second)) > width * 0.6, "seconds come last"


@pytest.mark.parametrize("size", SIZES)
def test_rings_fill_with_the_time(prefix, size):
    pixel, = draw(prefix, [(RINGS, 1, 1, *size, 6, 15, 45)])
    # Minutes ring (green) filled to a quarter: lit at an eighth of a turn, dim at three eighths.
    lit, dim = pixel(*polar(size, 0.125, 0.78)), pixel(*polar(size, 0.375, 0.78))
    assert lit[1] > 180 and dim[1] < 80
    # Seconds ring (red) filled to three quarters; hours ring (blue) to a quarter of the day.
    assert pixel(*polar(size, 0.6, 0.95))[0] > 180 and pixel(*polar(size, 0.85, 0.95))[0] < 90
    assert pixel(*polar(size, 0.2, 0.61))[2] > 180 and pixel(*polar(size, 0.4, 0.61))[2] < 90


def test_preview_fills_its_parent_follows_its_size_and_ends_on_close(prefix):
    result = prefix.drive([
        "host 300 244", "startsaver /p %h", "hostchild 60000", "resizehost 152 112", "sleep 2500",
        "hostchild 1000", "closechild 5000", f"waitexit {STEP_MS}",
    ])
    first, resized = result.all("hostchild")
    assert first["found"] == "1" and first["size"] == first["host"] == "300x244"
    assert resized["size"] == resized["host"] == "152x112"
    # It ends on the message itself; how soon (against the installer's 100 ms pause) is a
    # figure of bench/startup.py, not a timed test.
    assert result.one("closechild")["ended"] == "1"
    assert result.exit_code() == 0


def test_preview_ends_when_its_parent_goes_away(prefix):
    result = prefix.drive(["host 300 244", "startsaver /p:%h", "hostchild 60000", "destroyhost", "waitexit 10000"])
    assert result.one("hostchild")["found"] == "1"
    assert result.exit_code() == 0


@pytest.mark.parametrize("arguments", ["/p 12345", "/p:7", "/p"])
def test_preview_with_a_handle_that_is_no_window_ends_at_once(prefix, arguments):
    result = prefix.drive([f"startsaver {arguments}", "waitexit 20000"])
    assert result.exit_code() == 0


@pytest.mark.parametrize("way_back", [
    "key 65", "movemouse 40 30", "click",
    "host 200 100",   # another window comes up and takes the activation
])
def test_full_screen_covers_the_screen_and_ends_when_the_user_returns(prefix, way_back):
    result = prefix.drive([
        "startsaver /s", "window QKScreensaverWindow 60000", "sleep 1500", "running", way_back,
        "waitexit 20000",
    ])
    window = result.one("window")
    width, height = (int(v) for v in window["screen"].split("x"))
    assert window["found"] == "1" and window["rect"] == f"0,0,{width},{height}" and window["topmost"] == "1"
    assert result.one("running")["args"] == ["1"], "the first synthetic move did not end it"
    assert result.exit_code() == 0


def test_saver_resources_are_where_windows_looks_for_them():
    import pefile
    pe = pefile.PE(str(harness.SAVER))
    found = {(kind.id, item.id): pe.get_data(item.directory.entries[0].data.struct.OffsetToData,
                                              item.directory.entries[0].data.struct.Size)
             for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries for item in kind.directory.entries}
    RT_STRING, RT_DIALOG, RT_GROUP_ICON = 6, 5, 14
    strings = found[(RT_STRING, 1)]            # block 1 holds strings 0 to 15
    length = struct.unpack_from("<H", strings, 2)[0]
    assert strings[4:4 + 2 * length].decode("utf-16-le") == "QK Screensaver"
    assert (RT_GROUP_ICON, 100) in found and (RT_DIALOG, 2003) in found
    table = pe.FileInfo[0][0].StringTable[0].entries
    assert table[b"ProductName"] == b"QK Screensaver" and table[b"OriginalFilename"] == b"QKScreensaver.scr"
    assert pe.FILE_HEADER.Machine == 0x14C and pe.OPTIONAL_HEADER.Subsystem == 2


def test_settings_dialog_stores_what_the_user_picked(prefix):
    prefix.wine("reg", "delete", SETTINGS_KEY, "/f")
    result = prefix.drive([
        "startsaver /c", "window #32770 60000", "select 1001 4", "press 1002", "press 1003", "sleep 500",
        "press 1", "waitexit 20000",
    ])
    assert result.exit_code() == 0
    assert probe(prefix, ["load"]) == ["settings 4 0 0"]


def test_screenshots_of_every_clock(prefix, display):
    prefix.wine("reg", "delete", SETTINGS_KEY, "/f")
    for kind in range(6):
        prefix.wine("reg", "add", SETTINGS_KEY, "/v", "ClockType", "/t", "REG_DWORD", "/d", str(kind), "/f")
        prefix.drive(["startsaver /c", "window #32770 60000", "sleep 1500", "mark settings", "press 2",
                      "waitexit 20000"],
                     on_mark=lambda _: display.screenshot(harness.ARTIFACTS / f"clock{kind}-settings.png"))
        prefix.drive(["startsaver /s", "window QKScreensaverWindow 60000", "sleep 1500", "mark full",
                      "key 65", "waitexit 20000"],
                     on_mark=lambda _: display.screenshot(harness.ARTIFACTS / f"clock{kind}-full.png"))
    assert all((harness.ARTIFACTS / f"clock{k}-full.png").exists() for k in range(6))
