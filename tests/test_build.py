"""The product as one file: within its size budget, and the same bytes from every clean build."""
import subprocess

import harness

BUDGET = 64 * 1024


def test_install_exe_fits_its_size_budget():
    total = harness.INSTALLER.stat().st_size
    payload = harness.PAYLOAD.stat().st_size
    print(f"installer code {total - payload}, payload raw {harness.SAVER.stat().st_size}, "
          f"compressed {payload}, total {total}")
    assert total < BUDGET


def test_two_clean_builds_are_bit_identical(tmp_path):
    second = tmp_path / "build"
    subprocess.run(["cmake", "-S", str(harness.REPO), "-B", str(second),
                    f"-DCMAKE_TOOLCHAIN_FILE={harness.REPO / 'cmake' / 'mingw.cmake'}",
                    "-DCMAKE_BUILD_TYPE=MinSizeRel", "-DQK_BUILD_TESTS=OFF"], check=True, capture_output=True)
    subprocess.run(["cmake", "--build", str(second), "-j2", "--target", "Install"], check=True, capture_output=True)
    product = harness.INSTALLER.read_bytes()
    assert (second / "release" / "Install.exe").read_bytes() == product
    for place in (harness.REPO, harness.BUILD, second):
        assert str(place).encode() not in product
