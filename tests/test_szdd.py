"""The build's SZDD encoder: everything it writes must expand back to its input through every
decoder there is (ours, Debian's msexpand and the system's LZ Expand under Wine), stay within
what all decoders read alike, and never lose to a greedy parse."""
import random
import subprocess

import pytest

import harness
import szdd

ENCODER = harness.BUILD / "host" / "szdd"


def samples():
    rng = random.Random(20261211)
    cases = {f"size-{n}": bytes(rng.randrange(256) for _ in range(n))
             for n in (0, 1, 2, 3, 15, 16, 17, 18, 4095, 4096, 4097)}
    cases["all-spaces"] = b" " * 9000
    cases["random"] = bytes(rng.randrange(256) for _ in range(30000))
    cases["long-runs"] = b"a" * 5000 + b"ab" * 3000 + bytes(range(256)) * 20 + b"\0" * 7000
    cases["text"] = (harness.REPO / "src" / "install.cpp").read_bytes() * 3
    cases["saver"] = harness.SAVER.read_bytes()
    cases["installer"] = harness.INSTALLER.read_bytes()
    cases["driver"] = (harness.TEST_PROGRAMS / "driver.exe").read_bytes()
    return cases


SAMPLES = samples()


@pytest.fixture(scope="module")
def encoded(tmp_path_factory):
    folder = tmp_path_factory.mktemp("szdd")
    result = {}
    for name, data in SAMPLES.items():
        (folder / name).write_bytes(data)
        for parse in ("optimal", "greedy"):
            out = folder / f"{name}.{parse}"
            subprocess.run([str(ENCODER), *(["--greedy"] if parse == "greedy" else []), str(folder / name), str(out)],
                           check=True)
            result[name, parse] = out.read_bytes()
    return result


@pytest.mark.parametrize("name", SAMPLES)
def test_round_trip_through_our_decoder_and_msexpand(encoded, name):
    data, file = SAMPLES[name], encoded[name, "optimal"]
    assert szdd.header(file) == (ord("A"), 0, len(data))
    assert szdd.decode(file, strict=True) == data
    assert subprocess.run(["msexpand"], input=file, capture_output=True, check=True).stdout == data
    if not data:
        assert len(file) == 14, "an empty input is the header alone"


@pytest.mark.parametrize("name", SAMPLES)
def test_optimal_parse_is_never_larger_than_greedy(encoded, name):
    assert len(encoded[name, "optimal"]) <= len(encoded[name, "greedy"])


def test_round_trip_through_the_systems_lz_expand(prefix, encoded):
    folder = prefix.qk / "szdd"
    folder.mkdir(exist_ok=True)
    arguments = []
    for n, name in enumerate(SAMPLES):
        (folder / f"in{n}").write_bytes(encoded[name, "optimal"])
        arguments += [rf"C:\qk\szdd\in{n}", rf"C:\qk\szdd\out{n}.bin"]
    prefix.run_program(r"C:\qk\payload_probe.exe", r"C:\qk\szdd\results.txt", "--expand", *arguments)
    results = (folder / "results.txt").read_text().split()
    for n, name in enumerate(SAMPLES):
        assert int(results[n]) == len(SAMPLES[name]), name
        assert (folder / f"out{n}.bin").read_bytes() == SAMPLES[name], name


def test_fuzz_round_trip_briefly(tmp_path):
    fuzzer = tmp_path / "szdd_fuzz"
    sources = [harness.REPO / "tools" / "szdd" / f for f in ("fuzz.cpp", "szdd.cpp")]
    subprocess.run(["clang++", "-O1", "-g", "-fsanitize=fuzzer,address,undefined", "-o", str(fuzzer),
                    *map(str, sources)], check=True)
    run = subprocess.run([str(fuzzer), "-max_total_time=15", "-max_len=20000", "-seed=1"], capture_output=True,
                         text=True, cwd=tmp_path)
    assert run.returncode == 0, run.stderr[-3000:]
