"""Chains of dialogs joined with --and-dialog: OK, Help and Extra go on to
the next dialog, Cancel and Escape stop, a bad later segment ends with the
error code after the earlier dialogs ran. Each segment starts from a fresh
configuration, but exit codes set by options stay for the whole run."""

import pytest

from harness import VERSION_LINE as VERSION

pytestmark = pytest.mark.wayland

ONE = ["--msgbox", "one", 0, 0]
TWO = ["--msgbox", "two", 0, 0]


def answer(app, *steps):
    """Answers one dialog per step: a button name, or "Escape"."""
    for text, action in steps:
        dialog = app.dialog()
        assert dialog.labels()[0] == text
        dialog.close_with(action)


@pytest.mark.parametrize(
    "args, steps, code",
    [
        ([*ONE, "--and-dialog", *TWO], [("one", "OK"), ("two", "OK")], 0),
        ([*ONE, "--and-widget", *TWO], [("one", "OK"), ("two", "OK")], 0),
        # The second dialog is never shown: the run ends right away.
        ([*ONE, "--and-dialog", *TWO], [("one", "Escape")], 5),
        (["--yesno", "one", 0, 0, "--and-dialog", *TWO], [("one", "No")], 1),
        (["--help-button", *ONE, "--and-dialog", *TWO], [("one", "Help"), ("two", "OK")], 0),
        (["--extra-button", *ONE, "--and-dialog", *TWO], [("one", "Extra"), ("two", "Escape")], 5),
        # A script's own buttons go on as Extra does.
        (["--left1-button", "_Skip", *ONE, "--and-dialog", *TWO], [("one", "Skip"), ("two", "OK")], 0),
        ([*ONE, "--and-dialog", "--right3-button", "_Later", *TWO, "--and-dialog", "--yesno", "three", 0, 0],
         [("one", "OK"), ("two", "Later"), ("three", "Yes")], 0),
        # The status is that of the last dialog.
        (["--help-button", *ONE, "--and-dialog", "--yesno", "two", 0, 0, "--and-dialog", *TWO],
         [("one", "Help"), ("two", "No")], 1),
        # "--" makes the rest positional, but the separator still ends the
        # segment and is no argument of the dialog.
        (["--msgbox", "one", "--", 0, 0, "--and-dialog", *TWO], [("one", "OK"), ("two", "OK")], 0),
        # A trailing separator ends the chain normally.
        ([*ONE, "--and-dialog"], [("one", "OK")], 0),
        # Exit-code options stay in force for later segments.
        (["--ok-exit-code", "7", *ONE, "--and-dialog", *TWO], [("one", "OK"), ("two", "OK")], 7),
    ],
)
def test_chain_flow(wrenpane, args, steps, code):
    app = wrenpane.start(*args)
    answer(app, *steps)
    assert app.finish() == (code, b"", b"")


@pytest.mark.parametrize(
    "second, stderr",
    [
        (["--msgbox", "two"], b"wrenpane: expected <text> <rows> <cols>\n"),
        (["--title", "x"], b"wrenpane: expected a --<dialog>\n"),
        (["--begin-x", "-3", *TWO], b"wrenpane: --begin-x -3 is < -1\n"),
    ],
)
def test_bad_second_segment_fails_after_the_first_dialog(wrenpane, second, stderr):
    app = wrenpane.start(*ONE, "--and-dialog", *second)
    answer(app, ("one", "OK"))
    assert app.finish() == (255, b"", stderr)


def test_each_segment_starts_from_a_fresh_configuration(wrenpane):
    app = wrenpane.start("--title", "First", "--hline", "Sub", "--cancel-label", "Stop",
                         *ONE, "--and-dialog", *TWO)
    first = app.dialog()
    assert (first.title, first.subtitle, first.button_names()) == ("First", "Sub", ["Stop", "OK"])
    first.press("OK")
    second = app.dialog()
    assert (second.title, second.subtitle, second.button_names()) == ("", None, ["OK"])
    second.press("OK")
    assert app.finish() == (0, b"", b"")


def test_print_size_is_written_per_dialog(wrenpane):
    app = wrenpane.start("--print-size", *ONE, "--and-dialog", *TWO)
    answer(app, ("one", "OK"), ("two", "OK"))
    code, stdout, stderr = app.finish()
    assert (code, stdout) == (0, b"")
    assert [line.split(b":")[0] for line in stderr.splitlines()] == [b"DialogSize"]


@pytest.mark.parametrize(
    "args, steps, code",
    [
        # A last segment without a dialog keeps the status of the last dialog.
        ([*ONE, "--and-dialog", "--print-version"], [("one", "OK")], 0),
        (["--extra-button", *ONE, "--and-dialog", "--print-version"], [("one", "Extra")], 3),
    ],
)
def test_segment_without_dialog_keeps_the_last_status(wrenpane, args, steps, code):
    app = wrenpane.start(*args)
    answer(app, *steps)
    assert app.finish() == (code, b"", VERSION)


def test_separator_after_a_segment_without_dialog_is_an_error(wrenpane):
    assert wrenpane.run("--print-version", "--and-dialog", *ONE) == (
        255, b"", VERSION + b"wrenpane: --and-dialog without previous --<dialog>\n")
