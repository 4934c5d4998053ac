"""--timeout: a dialog that waits for the user ends by itself after the
seconds given, with the timeout result and no answer, and a chain goes on
after it. The infobox, which waits for no one, keeps to --sleep.

The runs that time out are not looked at while they are up: a second is
short for finding a window, and the exit code alone can only come from the
timer."""

import subprocess

import pytest

from harness import wait_until

pytestmark = pytest.mark.wayland


@pytest.mark.parametrize(
    "args, stdin",
    [
        (["--yesno", "Go on?", 0, 0], None),
        (["--inputbox", "Name", 0, 0, "typed"], None),
        (["--checklist", "Pick", 0, 0, 0, "a", "A", "on", "b", "B", "off"], None),
        (["--buildlist", "Pick", 0, 0, 0, "a", "A", "on", "b", "B", "off"], None),
        (["--calendar", "Day", 0, 0, "5", "3", "1900"], None),
        # Its input stays open: only the timer can end it.
        (["--gauge", "Busy", 0, 0], subprocess.PIPE),
        (["--mixedgauge", "Status", 0, 0, "40"], None),
        # Whichever ends first: the timer, long before the countdown.
        (["--pause", "Wait", 0, 0, "60"], None),
        (["--textbox", "/etc/passwd", 0, 0], None),
        (["--tailbox", "/etc/passwd", 0, 0], None),
    ],
)
def test_timeout_ends_the_dialog_without_an_answer(wrenpane, args, stdin):
    app = wrenpane.start("--timeout", "1", *args, stdin=stdin)
    assert app.finish() == (4, b"", b"")


@pytest.mark.parametrize(
    "options, code",
    [
        (["--timeout-exit-code", "9"], 9),
        # The option is no longer a shortened --timeout-exit-code.
        (["--timeout-exit-code", "9", "--timeout", "2"], 9),
    ],
)
def test_timeout_exit_code_is_remapped(wrenpane, options, code):
    app = wrenpane.start(*options, "--timeout", "1", "--msgbox", "m", 0, 0)
    assert app.finish() == (code, b"", b"")


def test_chain_goes_on_after_a_timeout(wrenpane):
    app = wrenpane.start("--timeout", "1", "--yesno", "q", 0, 0, "--and-dialog", "--msgbox", "next", 0, 0)
    # The next segment starts afresh: without a timer of its own it waits.
    def next_dialog():
        return next((w for w in app.windows() if w.labels() == ["next"] and w.is_active()), None)

    wait_until(next_dialog, "the next dialog").press("OK")
    assert app.finish() == (0, b"", b"")


@pytest.mark.parametrize(
    "args",
    [
        ["--timeout", "0", "--yesno", "q", 0, 0],
        ["--timeout", "abc", "--yesno", "q", 0, 0],  # no number: 0, as --sleep reads it
        # The infobox waits for no one: --sleep alone ends it.
        ["--timeout", "1", "--sleep", "600", "--infobox", "i", 0, 0],
    ],
)
def test_no_timeout(wrenpane, args):
    app = wrenpane.start(*args)
    dialog = app.dialog()
    # A dialog with a one-second timer, started after it, has ended first.
    assert wrenpane.run("--timeout", "1", "--msgbox", "m", 0, 0) == (4, b"", b"")
    assert app.proc.poll() is None
    dialog.key("Escape")
    assert app.finish()[1:] == (b"", b"")
