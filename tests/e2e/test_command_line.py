"""The option pass and the driver's checks: diagnostics, exit codes and
what still runs after them. These runs show no window, or close the one
they show."""

import os
import re

import pytest

from harness import BINARY, VERSION_LINE

GETOPT = BINARY.encode()  # getopt_long names the program as argv[0]
IGNORE = b"wrenpane: --ignore to continue\n"
SEE_HELP = b"\nSee 'wrenpane --help' or 'man 1 wrenbox' for more information.\n"


@pytest.mark.parametrize(
    "args, stderr",
    [
        (["--bogus", "--msgbox", "hi", 0, 0], GETOPT + b": unrecognized option '--bogus'\n" + IGNORE),
        (["-x", "--msgbox", "hi", 0, 0], GETOPT + b": invalid option -- 'x'\n" + IGNORE),
        # An abbreviation shared by different options.
        (["--in", "--msgbox", "hi", 0, 0],
         GETOPT + b": option '--in' is ambiguous; possibilities: '--infobox' '--inputbox' '--inputmenu' '--insecure'\n"
         + IGNORE),
        (["--msgbox", "hi", 0, 0, "--title"], GETOPT + b": option '--title' requires an argument\n" + IGNORE),
        (["--msgbox=3", "hi", 0, 0], GETOPT + b": option '--msgbox' doesn't allow an argument\n" + IGNORE),
        # A negative number is an unknown option unless "--" came before it.
        (["--msgbox", "hi", -5, 30], GETOPT + b": invalid option -- '5'\n" + IGNORE),
        # --ignore covers only what follows it.
        (["--bogus", "--ignore", "--msgbox", "hi", 0, 0], GETOPT + b": unrecognized option '--bogus'\n" + IGNORE),
        (["--ignore", "--bogus"], GETOPT + b": unrecognized option '--bogus'\nwrenpane: expected a --<dialog>\n"),
        (["--title", "x"], b"wrenpane: expected a --<dialog>\n"),
        ([], b"wrenpane: expected a --<dialog>\n"),
        (["--msgbox", "hi", 5], b"wrenpane: expected <text> <rows> <cols>\n"),
        (["--begin-x", "-2", "--msgbox", "hi", 0, 0], b"wrenpane: --begin-x -2 is < -1\n"),
        (["--begin-y=-7", "--msgbox", "hi", 0, 0], b"wrenpane: --begin-y -7 is < -1\n"),
        (["--msgbox", "--yesno"], b"wrenpane: --msgbox and --yesno without --and-dialog\n"),
        (["--infob", "a", 0, 0, "--msgb"], b"wrenpane: --infobox and --msgbox without --and-dialog\n"),
        (["--and-dialog", "--msgbox", "hi", 0, 0], b"wrenpane: --and-dialog without previous --<dialog>\n"),
        (["--title", "t", "--and-widget"], b"wrenpane: --and-dialog without previous --<dialog>\n"),
        # A descriptor must be a number: strtol would take these for 0 or 3.
        (["--output-fd", "abc", "--inputbox", "q", 0, 0], b"wrenpane: --output-fd abc is not a number\n"),
        (["--output-fd", "", "--inputbox", "q", 0, 0], b"wrenpane: --output-fd  is not a number\n"),
        (["--output-fd=3x", "--inputbox", "q", 0, 0], b"wrenpane: --output-fd 3x is not a number\n"),
    ],
)
def test_command_line_errors(wrenpane, args, stderr):
    assert wrenpane.run(*args) == (255, b"", stderr)


def test_error_exit_code_applies_only_once_parsed(wrenpane):
    before = wrenpane.run("--error-exit-code", "7", "--bogus", "--msgbox", "hi", 0, 0)
    after = wrenpane.run("--bogus", "--error-exit-code", "7", "--msgbox", "hi", 0, 0)
    assert (before.code, after.code) == (7, 255)


@pytest.mark.parametrize(
    "args, stdout",
    [
        (["--msgbox", "hi", 0, 0, "x"], b'Error: --msgbox unexpected argument: "x".\n'),
        (["--yesno", "hi", 0, 0, "a b", ""], b'Error: --yesno unexpected arguments: "a b" "".\n'),
        (["--infobox", "--", "hi", 0, 0, "-1"], b'Error: --infobox unexpected argument: "-1".\n'),
    ],
)
def test_unexpected_arguments(wrenpane, args, stdout):
    assert wrenpane.run(*args) == (255, stdout + SEE_HELP, b"")
    assert wrenpane.run("--error-exit-code", "3", *args).code == 3


@pytest.mark.parametrize(
    "args, fd",
    [
        (["--print-version"], 2),
        (["--stdout", "--print-version"], 1),
        (["--stdout", "--stderr", "--print-version"], 2),
        (["--output-fd", "3", "--print-version"], 3),
        # The line goes where the descriptor stands when it is parsed.
        (["--output-fd", "3", "--print-version", "--stdout"], 3),
    ],
)
def test_print_version_goes_to_the_output_descriptor(wrenpane, args, fd):
    result = wrenpane.run(*args, fds=[3])
    written = {1: result.stdout, 2: result.stderr, 3: wrenpane.last.fds[3]}
    assert result.code == 0
    assert written == {n: VERSION_LINE if n == fd else b"" for n in (1, 2, 3)}


def test_print_maxsize_reports_the_default_size(wrenpane):
    # The session's 1280x800 screen with GTK's default 10-point font at
    # 96 dpi: a cell is 13.33 pixels wide.
    unit = 10 * 96 / 72
    rows, cols = int(800 / unit * 0.5) - 9, int(1280 / unit) - 4
    assert wrenpane.run("--print-maxsize") == (0, b"", b"MaxSize: %d, %d\n" % (rows, cols))


def test_print_maxsize_before_a_dialog_then_shows_it(wrenpane):
    app = wrenpane.start("--print-maxsize", "--msgbox", "hi", 0, 0)
    app.dialog().press("OK")
    code, stdout, stderr = app.finish()
    assert (code, stdout) == (0, b"")
    assert re.fullmatch(rb"MaxSize: \d+, \d+\n", stderr)


def test_save_theme_writes_the_style_sheet(wrenpane, tmp_path):
    css = tmp_path / "theme.css"
    assert wrenpane.run("--save-theme", str(css)) == (0, b"", b"")
    assert b"{" in css.read_bytes()


def test_save_theme_to_a_bad_path_is_only_a_diagnostic(wrenpane, tmp_path):
    bad = tmp_path / "missing" / "theme.css"
    assert wrenpane.run("--save-theme", str(bad)) == (
        0, b"", b"wrenpane: %s: No such file or directory\n" % bytes(bad))


def test_save_theme_reports_a_failed_write(wrenpane):
    # The open and the close succeed; only the write fails.
    assert wrenpane.run("--save-theme", "/dev/full") == (
        0, b"", b"wrenpane: /dev/full: No space left on device\n")


@pytest.mark.parametrize("kind", ["endless", "fifo", "directory"])
def test_load_theme_reads_only_regular_files(wrenpane, tmp_path, kind):
    # Read whole, /dev/zero would exhaust memory; a FIFO would wait forever.
    if kind == "endless":
        path = "/dev/zero"
    elif kind == "fifo":
        path = str(tmp_path / "fifo")
        os.mkfifo(path)
    else:
        path = str(tmp_path)
    assert wrenpane.run("--load-theme", path, "--stdout", "--print-version") == (
        0, b"Version: 0.9.1 (libwrenbox: 0.4.1)\n",
        b"wrenpane: Error opening file %s: not a regular file\n" % path.encode())


def test_load_theme_of_a_missing_file_still_shows_the_dialog(wrenpane, tmp_path):
    missing = tmp_path / "missing.css"
    app = wrenpane.start("--load-theme", str(missing), "--msgbox", "hi", 0, 0)
    app.dialog().press("OK")
    code, stdout, stderr = app.finish()
    assert (code, stdout) == (0, b"")
    assert stderr.startswith(b"wrenpane: ") and stderr.endswith(b"%s: No such file or directory\n" % bytes(missing))
    assert stderr.count(b"\n") == 1


def test_load_theme_applies_a_style_sheet(wrenpane, tmp_path):
    css = tmp_path / "theme.css"
    css.write_text("label { color: red; }\n")
    app = wrenpane.start("--load-theme", str(css), "--msgbox", "hi", 0, 0)
    app.dialog().press("OK")
    assert app.finish() == (0, b"", b"")


@pytest.mark.parametrize(
    "args, text, title",
    [
        # Options may follow the positional arguments.
        (["--msgbox", "hi", 0, 0, "--title", "T"], "hi", "T"),
        (["hi", "--msgbox", 0, "--title=T", 0], "hi", "T"),
        # Unambiguous abbreviations, also of an option with synonyms.
        (["--tit", "T", "--msgb", "hi", 0, 0], "hi", "T"),
        # After "--" everything is positional, options and negative numbers too.
        (["--msgbox", "--", "--title", -5, -3], "--title", ""),
        (["--title", "T", "--msgbox", "--", "x", 0, 0], "x", "T"),
    ],
)
# The order rules hold whatever the environment asks of getopt.
@pytest.mark.parametrize("env", [{}, {"POSIXLY_CORRECT": "1"}], ids=["default", "posixly-correct"])
def test_argument_order_and_abbreviations(wrenpane, args, text, title, env):
    app = wrenpane.start(*args, env=env)
    dialog = app.dialog()
    assert (dialog.labels()[0], dialog.title) == (text, title)
    dialog.press("OK")
    assert app.finish() == (0, b"", b"")


def test_ignore_skips_unknown_options_and_their_values(wrenpane):
    # The value of a skipped unknown option becomes a positional argument.
    app = wrenpane.start("--ignore", "--columns-per-row", "8", "--msgbox", 0, 0)
    dialog = app.dialog()
    assert dialog.labels()[0] == "8"
    dialog.press("OK")
    assert app.finish() == (0, b"", GETOPT + b": unrecognized option '--columns-per-row'\n")


def test_print_size_after_cancel(wrenpane):
    app = wrenpane.start("--print-size", "--cancel-label", "Stop", "--msgbox", "hi", 5, 30)
    app.dialog().press("Stop")
    code, stdout, stderr = app.finish()
    assert (code, stdout) == (1, b"")
    height, width = map(int, re.fullmatch(rb"DialogSize: (\d+), (\d+)\n", stderr).groups())
    # At least the requested content area: 30 cells wide, 5 rows of two cells.
    unit = 10 * 96 / 72
    assert width >= int(30 * unit) and height >= int(5 * 2 * unit)
    assert width > height
