import shutil
import tempfile

import pytest

import harness


@pytest.fixture(scope="session")
def display():
    server = harness.Xvfb()
    yield server
    server.stop()


@pytest.fixture(scope="session")
def prefix(display):
    root = tempfile.mkdtemp(prefix="qk-wine-")
    wine = harness.WinePrefix(root, display.display)
    wine.boot()
    yield wine
    wine.stop()
    shutil.rmtree(root, ignore_errors=True)


@pytest.fixture
def clean_temp(prefix):
    """The user's temporary folder without anything of ours in it."""
    for leftover in prefix.temp.glob("QK*"):
        leftover.unlink()
    return prefix.temp
