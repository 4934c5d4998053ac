"""Fixtures of the end-to-end tests; the machinery is in the harness package.

``wrenpane`` starts the real binary (WRENPANE_BIN, build/asan/wrenpane by
default) and kills whatever a test leaves running::

    def test_cancel(wrenpane):
        app = wrenpane.start("--msgbox", "hi", 0, 0, "--cancel-label", "Stop")
        app.dialog().press("Stop")
        assert app.finish() == (1, b"", b"")

    def test_version(wrenpane):
        assert wrenpane.run("--version") == (0, harness.VERSION_LINE, b"")
"""

import os

import pytest

import harness
from harness import App, LeftRunning, Result


class Launcher:
    """Starts wrenpane processes for one test and cleans up after it."""

    def __init__(self):
        self.apps: list[App] = []

    def start(self, *args, **kwargs) -> App:
        """Starts wrenpane with ``args`` and returns the running App (see
        App.__init__ for the keyword arguments ``env``, ``stdin``, ``fds``,
        ``closed``, ``shut``, ``opened`` and ``binary``)."""
        app = App(args, **kwargs)
        self.apps.append(app)
        return app

    def run(self, *args, **kwargs) -> Result:
        """Runs wrenpane to its end without touching any window (for runs
        that must not show one) and returns (code, stdout, stderr); extra
        descriptors are in ``launcher.last.fds``."""
        self.last = self.start(*args, **kwargs)
        return self.last.finish()

    def left_running(self, pid: int) -> LeftRunning:
        """The process ``pid`` that a wrenpane left running, ended with the
        test's others."""
        app = LeftRunning(pid)
        self.apps.append(app)
        return app

    def kill_all(self):
        for app in self.apps:
            app.kill()


def pytest_make_parametrize_id(config, val, argname):
    """Expected output never names a test case: it can hold the path of the
    binary under test, the version or a whole page of help. Such cases are
    named after the parameter instead (pytest numbers repeated names)."""
    if isinstance(val, bytes):
        return argname
    return None


@pytest.fixture(scope="session", autouse=True)
def _session_ready():
    assert os.path.exists(harness.BINARY), f"{harness.BINARY} is missing: build it first"
    assert harness.VERSION_LINE, f"{harness.VERSION_HEADER} is missing: build it first"
    harness.require_tools()
    harness.bind_typed_characters()


@pytest.fixture
def wrenpane():
    launcher = Launcher()
    yield launcher
    launcher.kill_all()
