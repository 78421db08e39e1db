"""Directory-path creation on real directories inside Wine. The probe records every existence
test and creation attempt that CreateDirectoryPath makes, in order."""
import pytest

B = "{base}"   # stands for the case's own fresh folder, C:\qk\dp\<case>

CASES = [
    # id, existing (dirs end in \), path, file flag, recurse flag, result, calls as (kind, path, ok)
    ("existing-directory", ["d\\"], B + r"\d", 0, 0, 1, [("test", B + r"\d", True)]),
    ("existing-directory-recursing", ["d\\"], B + r"\d", 0, 1, 1, [("test", B + r"\d", True)]),
    ("existing-file", ["f.scr"], B + r"\f.scr", 0, 1, 1, [("test", B + r"\f.scr", True)]),
    ("one-missing-level", [], B + r"\new", 0, 0, 1,
     [("test", B + r"\new", False), ("create", B + r"\new", True)]),
    ("several-levels-top-down", [], B + r"\a\b\c", 0, 1, 1, [
        ("test", B + r"\a\b\c", False), ("create", B + r"\a\b\c", False),
        ("test", B + r"\a\b", False), ("create", B + r"\a\b", False),
        ("test", B + r"\a", False), ("create", B + r"\a", True),
        ("test", B + r"\a\b", False), ("create", B + r"\a\b", True),
        ("test", B + r"\a\b\c", False), ("create", B + r"\a\b\c", True)]),
    ("several-levels-recursion-off", [], B + r"\a\b\c", 0, 0, 0,
     [("test", B + r"\a\b\c", False), ("create", B + r"\a\b\c", False)]),
    ("missing-drive-stops-at-its-root", [], r"Q:\a", 0, 1, 0,
     [("test", r"Q:\a", False), ("create", r"Q:\a", False)]),
    ("relative-separator-at-2-stops", [], r"ab\c", 0, 1, 0,
     [("test", r"ab\c", False), ("create", r"ab\c", False)]),
    ("relative-separator-at-1-stops", [], r"a\c", 0, 1, 0,
     [("test", r"a\c", False), ("create", r"a\c", False)]),
    ("relative-separator-at-3-climbs", [], r"abc\d", 0, 1, 1, [
        ("test", r"abc\d", False), ("create", r"abc\d", False), ("test", "abc", False),
        ("create", "abc", True), ("test", r"abc\d", False), ("create", r"abc\d", True)]),
    ("mixed-separators", [], B + r"\a/b/c", 0, 1, 1, [
        ("test", B + r"\a/b/c", False), ("create", B + r"\a/b/c", False),
        ("test", B + r"\a/b", False), ("create", B + r"\a/b", False),
        ("test", B + r"\a", False), ("create", B + r"\a", True),
        ("test", B + r"\a/b", False), ("create", B + r"\a/b", True),
        ("test", B + r"\a/b/c", False), ("create", B + r"\a/b/c", True)]),
    ("trailing-separator", [], B + "\\a\\b\\", 0, 1, 1, [
        ("test", B + "\\a\\b\\", False), ("create", B + "\\a\\b\\", False),
        ("test", B + r"\a\b", False), ("create", B + r"\a\b", False),
        ("test", B + r"\a", False), ("create", B + r"\a", True),
        ("test", B + r"\a\b", False), ("create", B + r"\a\b", True),
        ("test", B + "\\a\\b\\", True)]),
    ("file-flag-creates-holding-folders", [], B + r"\a\b\f.scr", 1, 1, 1, [
        ("test", B + r"\a\b", False), ("create", B + r"\a\b", False),
        ("test", B + r"\a", False), ("create", B + r"\a", True),
        ("test", B + r"\a\b", False), ("create", B + r"\a\b", True)]),
    ("file-flag-without-folder", [], "f.scr", 1, 1, 1, []),
    ("file-flag-under-a-root", [], r"C:\f.scr", 1, 1, 1, []),
    ("file-flag-separator-at-0", [], r"\f.scr", 1, 1, 1, []),
    ("file-flag-recursion-off", [], B + r"\a\f.scr", 1, 0, 0, []),
    ("file-flag-folder-that-cannot-be-made", [], B + r"\bad?name\f.scr", 1, 1, 1,
     [("test", B + r"\bad?name", False)]),
    ("name-the-file-system-rejects", [], B + r"\bad?name", 0, 1, 0, [("test", B + r"\bad?name", False)]),
    ("path-too-long-for-its-copy", [], "C:\\" + "x" * 257, 0, 1, 0, []),
]


@pytest.mark.parametrize("case, existing, path, is_file, recurse, result, calls", CASES,
                         ids=[case[0] for case in CASES])
def test_create_directory_path(prefix, case, existing, path, is_file, recurse, result, calls):
    base_windows = rf"C:\qk\dp\{case}"
    base = prefix.host_path(base_windows)
    base.mkdir(parents=True)
    for name in existing:
        if name.endswith("\\"):
            (base / name[:-1]).mkdir()
        else:
            (base / name).write_bytes(b"")

    out = prefix.qk / "dirpath.txt"
    out.unlink(missing_ok=True)
    prefix.run_program(r"C:\qk\dirpath_probe.exe", r"C:\qk\dirpath.txt", base_windows,
                       path.replace(B, base_windows), str(is_file), str(recurse))
    lines = out.read_text().splitlines()
    recorded = [(kind, where, error == "0") for kind, where, error in (line.rsplit(" ", 2) for line in lines[:-1])]
    expected = [(kind, where.replace(B, base_windows), ok) for kind, where, ok in calls]
    assert recorded == expected
    assert lines[-1] == f"result {result}"
