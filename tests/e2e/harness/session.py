"""The session the tests run in: its display, the binary under test, the
environment of a run, and waits that give up after a timeout (WRENPANE_TIMEOUT
seconds, 10 by default), so that a hung program fails its test instead of
hanging the run."""

from __future__ import annotations

import os
import shutil
import time
from pathlib import Path
from typing import Callable

import pytest
from gi.repository import GLib


REPO = Path(__file__).resolve().parents[3]
BINARY = os.environ.get("WRENPANE_BIN", str(REPO / "build" / "asan" / "wrenpane"))
TIMEOUT = float(os.environ.get("WRENPANE_TIMEOUT", "10"))
POLL_INTERVAL = 0.05

# The session's display, fixed for the whole run: a Wayland compositor
# without X (scripts/session --wayland), or else an X server.
WAYLAND = "WAYLAND_DISPLAY" in os.environ and not os.environ.get("DISPLAY")

# The build tree of the binary under test: where it is, unless it is an
# installed one, which names the tree it was built from (or one of the same
# sources).
BUILD_DIR = Path(os.environ.get("WRENPANE_BUILD_DIR", Path(BINARY).parent))


class WaitTimeout(AssertionError):
    """A condition did not come true in time (an AssertionError, so pytest
    reports it as a plain test failure)."""


def wait_until(condition: Callable[[], object], what: str, timeout: float = TIMEOUT):
    """Polls ``condition`` until it returns something truthy and returns that.

    Accessibility errors raised while the program is still building or
    tearing down its windows count as "not yet". Raises WaitTimeout naming
    ``what`` when the timeout passes.
    """
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = condition()
        except GLib.Error:
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise WaitTimeout(f"timed out after {timeout:g}s waiting for {what}")
        time.sleep(POLL_INTERVAL)


def base_env(env: dict | None = None) -> dict:
    """The environment of a run: ours, with a fixed UTF-8 locale (so that
    getopt's messages are the English ones), updated by ``env``. A value of
    None removes that variable."""
    result = dict(os.environ)
    result["LC_ALL"] = "C.UTF-8"
    # With any locale but "C" itself, LANGUAGE picks the catalogue.
    result.pop("LANGUAGE", None)
    # Either would keep GTK off the accessibility bus, out of our sight.
    result.pop("NO_AT_BRIDGE", None)
    result.pop("GTK_A11Y", None)
    for name, value in (env or {}).items():
        if value is None:
            result.pop(name, None)
        else:
            result[name] = value
    return result


def needs_x(what: str) -> None:
    """Skips the calling test on Wayland, which has no equivalent of
    ``what``."""
    if WAYLAND:
        pytest.skip(f"{what} needs X")


def needs_wayland(what: str) -> None:
    """Skips the calling test on X, which has no equivalent of ``what``."""
    if not WAYLAND:
        pytest.skip(f"{what} needs Wayland")


def require_tools():
    """Fails early and clearly when the session tools are missing."""
    for tool in ("swaymsg", "wtype", "grim") if WAYLAND else ("xdotool", "xmodmap"):
        assert shutil.which(tool), f"{tool} is not installed (run scripts/test)"
    if WAYLAND:
        assert os.environ.get("SWAYSOCK"), "no SWAYSOCK: run the tests through scripts/session"
    else:
        assert os.environ.get("DISPLAY"), "no DISPLAY: run the tests through scripts/test"
