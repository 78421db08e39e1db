import pytest

import harness


@pytest.fixture(scope="session")
def display():
    server = harness.Xvfb()
    yield server
    server.stop()


@pytest.fixture(scope="session")
def prefix(display):
    with harness.throwaway_prefix(display) as wine:
        yield wine


@pytest.fixture
def clean_temp(prefix):
    """The user's temporary folder without anything of ours in it."""
    for leftover in prefix.temp.glob("QK*"):
        leftover.unlink()
    return prefix.temp
