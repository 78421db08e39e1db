"""Payload extraction, run inside Wine by a probe that links the installer's own extraction code
and carries test resources of its own: the real payload (2000), bytes without an SZDD header
(2001), an empty resource (2002) and the payload under another type name (2003)."""
import pytest

import harness

SZDD, PLAIN, EMPTY, WRONG_TYPE, MISSING = 2000, 2001, 2002, 2003, 2999
PLAIN_BYTES = (harness.REPO / "tests" / "win" / "plain.txt").read_bytes()
OLD = b"what the target held before"


def extract(prefix, target, resource, *options):
    (prefix.qk / "probe.txt").unlink(missing_ok=True)
    prefix.run_program(r"C:\qk\payload_probe.exe", r"C:\qk\probe.txt", target, str(resource), *options)
    return int((prefix.qk / "probe.txt").read_text())


@pytest.fixture
def target(prefix):
    folder = prefix.qk / "extract"
    folder.mkdir(exist_ok=True)
    path = folder / "target.exe"
    path.write_bytes(OLD)
    return r"C:\qk\extract\target.exe", path


@pytest.mark.parametrize("resource, expected", [
    (SZDD, lambda: harness.SAVER.read_bytes()),   # expanded through LZ Expand
    (PLAIN, lambda: PLAIN_BYTES),                 # no SZDD header: copied unchanged
    (EMPTY, None),
    (WRONG_TYPE, None),
    (MISSING, None),
])
def test_extraction_by_resource(prefix, clean_temp, target, resource, expected):
    windows_path, path = target
    result = extract(prefix, windows_path, resource)
    if expected is None:
        assert result == 0
        assert path.read_bytes() == OLD
    else:
        assert result == len(expected())
        assert path.read_bytes() == expected()
    assert list(clean_temp.glob("QK*")) == [], "no compressed intermediate is left behind"


def test_second_extraction_rewrites_the_target_from_its_start(prefix, clean_temp, target):
    windows_path, path = target
    assert extract(prefix, windows_path, SZDD) == harness.SAVER.stat().st_size
    assert extract(prefix, windows_path, PLAIN) == len(PLAIN_BYTES)
    assert path.read_bytes() == PLAIN_BYTES


def test_temporary_folder_too_long_for_a_path_opens_nothing(prefix, clean_temp, target):
    windows_path, path = target
    assert extract(prefix, windows_path, SZDD, "--tmp=C:\\" + "t" * 300) == 0
    assert path.read_bytes() == OLD


def test_target_held_by_a_running_program_keeps_its_contents(prefix, clean_temp, target):
    windows_path, path = target
    result = extract(prefix, windows_path, SZDD, "--hold")
    # Windows' LZCopy answers a target that could not be opened with a negative code; Wine's
    # answers 0. Either way nothing was expanded, and nothing was written under another name.
    assert result <= 0
    assert path.read_bytes() == OLD
    assert list(clean_temp.glob("QK*")) == []
    assert sorted(p.name for p in path.parent.iterdir()) == ["target.exe"], "no substitute file"
