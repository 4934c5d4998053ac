"""gauge, mixedgauge and pause: progress bars driven by standard input, by
the arguments and by a countdown. A bar's text is read through its
accessible name, which screen readers get."""

import os
import subprocess
import textwrap
import threading

import pyatspi
import pytest

import harness
from harness import base_env, position, progress_of, text_of, unexpected, wait_until

pytestmark = pytest.mark.wayland


def wait_for_bar(bar, text, fraction=None):
    def shows():
        name, value = progress_of(bar)
        return name == text and (fraction is None or abs(value - fraction) < 1e-6)

    wait_until(shows, f"a bar showing {text!r}")


def wait_for_labels(dialog, labels):
    wait_until(lambda: dialog.labels() == labels, f"labels {labels!r}")


# --- gauge ---------------------------------------------------------------------


def test_gauge_follows_its_input_write_by_write(wrenpane):
    app = wrenpane.start("--gauge", "Copying", 0, 0, stdin=subprocess.PIPE)
    dialog = app.dialog()
    (bar,) = dialog.progress_bars()
    assert dialog.labels() == ["Copying"]
    assert progress_of(bar) == ("0 %", 0.0)
    assert dialog.buttons() == []
    # The text starts at the left, as the bar does.
    label = dialog.find(pyatspi.ROLE_LABEL, "Copying")
    text_x = label.queryText().getCharacterExtents(0, pyatspi.DESKTOP_COORDS)[0]
    assert abs(text_x - position(bar)[0]) < 20

    app.send(b"50\nXXX\n30\nfirst\nsecond\nXXX\n")  # 50 outside a block: ignored
    wait_for_bar(bar, "30 %", 0.3)
    wait_for_labels(dialog, ["first\nsecond"])

    # A marker and a number cut between two writes still count.
    app.send(b"XX")
    app.send(b"X\n7")
    app.send(b"0\nNext\nXXX\n")
    wait_for_bar(bar, "70 %", 0.7)
    wait_for_labels(dialog, ["Next"])

    # A block without a number replaces the text and keeps the bar.
    app.send(b"XXX\nonly text\n")
    wait_for_labels(dialog, ["only text"])
    assert progress_of(bar) == ("70 %", 0.7)

    # A character cut between two writes comes out whole; bytes that are not
    # UTF-8 show as U+FFFD, and nothing around them is lost.
    app.send(b"XXX\n250\nna\xc3")
    app.send(b"\xafve \xff end\n")
    wait_for_labels(dialog, ["na\u00efve \ufffd end"])
    wait_for_bar(bar, "100 %", 1.0)

    app.send(b"EOF\n")
    assert app.finish() == (5, b"", b"")


def test_gauge_text_that_grows_is_wrapped_whole(wrenpane):
    # The label takes the size of each new text, not that of the first.
    app = wrenpane.start("--gauge", "a", 10, 50, stdin=subprocess.PIPE)
    dialog = app.dialog()
    (label,) = [a for a in dialog.find_all(pyatspi.ROLE_LABEL) if text_of(a) == "a"]

    def size():
        extents = label.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return extents.width, extents.height

    one_line = size()[1]
    text = "a longer text that wraps " * 40
    app.send(f"XXX\n40\n{text}\nXXX\n".encode())
    wait_for_labels(dialog, [text])
    # Some ten lines across the dialog, not a letter a line.
    across = dialog.extents()[2] // 2
    wait_until(lambda: size()[0] > across and 5 * one_line < size()[1] < 20 * one_line,
               "the label to take its new text's width and lines")
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


@pytest.mark.parametrize("piece", [1000, 16384])
def test_gauge_answers_escape_while_a_long_unbroken_line_arrives(wrenpane, piece):
    # A label laid out whole at every frame while a 30 KB line without blanks
    # grows took minutes to draw and never saw the key.
    app = wrenpane.start("--gauge", "x", 10, 40, stdin=subprocess.PIPE)
    dialog = app.dialog()
    app.send(b"XXX\n10\n")
    line = b"a" * 30000
    for start in range(0, len(line), piece):
        app.send(line[start:start + piece])
    wait_until(lambda: any(text.startswith("a" * 500) for text in dialog.labels()),
               "the line to show")
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


@pytest.mark.parametrize("lines", [100, 3000, 20000])
def test_gauge_text_stays_within_its_rows(wrenpane, lines):
    app = wrenpane.start("--gauge", "x", 10, 40, stdin=subprocess.PIPE)
    dialog = app.dialog()
    (bar,) = dialog.progress_bars()
    (label,) = [a for a in dialog.find_all(pyatspi.ROLE_LABEL) if text_of(a) == "x"]
    window_height = dialog.extents()[3]

    def label_height():
        return label.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).height

    one_line = label_height()
    block = b"XXX\n40\n" + b"".join(b"line %d\n" % i for i in range(lines))
    writer = threading.Thread(target=app.send, args=(block,), daemon=True)
    writer.start()
    # The gauge reads as fast as the script writes...
    wait_until(lambda: not writer.is_alive(), f"the gauge to read {lines} lines")
    wait_for_bar(bar, "40 %")

    def text_laid_out():
        text = text_of(label)
        return text.startswith("line 0\nline 1\n") and label_height() >= text.count("\n") * one_line

    wait_until(text_laid_out, "the block's text to be laid out")
    # ...and shows what fits in its rows: the window keeps its height, and the
    # bar stays on the screen.
    assert dialog.extents()[3] == window_height
    bar_extents = bar.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    assert 0 <= bar_extents.y and bar_extents.y + bar_extents.height <= harness.screen_size()[1]
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


@pytest.mark.parametrize(
    "stdin",
    [
        pytest.param(b"XXX\n50\nhalf\nXXX\n", id="input ends without EOF"),
        pytest.param(b"XXX\n50\nhalf\nXXX\nEOF\nXXX\n90\n", id="EOF line"),
        pytest.param(b"", id="empty input"),
        pytest.param(b"XXX\n50\nhalf way thr", id="input ends in a text line"),
        pytest.param(b"40\nXX", id="input ends in a marker"),
        pytest.param(b"XXX\n5", id="input ends in a number"),
    ],
)
def test_gauge_ends_with_esc_when_its_input_ends(wrenpane, stdin):
    # ESC stops the chain: the message box after it never shows.
    result = wrenpane.run("--gauge", "Busy", 0, 0, "--and-dialog", "--msgbox", "next", 0, 0,
                          stdin=stdin)
    assert result == (5, b"", b"")


def test_gauge_read_error_shows_the_error_popup(wrenpane, tmp_path):
    # Reading a directory fails (EISDIR) although it counts as readable.
    directory = os.open(tmp_path, os.O_RDONLY | os.O_DIRECTORY)
    try:
        app = wrenpane.start("--gauge", "Busy", 0, 0, stdin=directory)
    finally:
        os.close(directory)

    def error_popup():
        return next((w for w in app.windows() if "Is a directory" in w.labels()), None)

    popup = wait_until(error_popup, "the error popup")
    assert popup.labels() == ["Error", "Is a directory"]
    popup.press("Close")
    assert app.finish() == (5, b"", b"")


@pytest.mark.parametrize(
    "start, shown",
    [("40", ("40 %", 0.4)), ("250", ("100 %", 1.0)), ("abc", ("0 %", 0.0))],
)
def test_gauge_initial_percentage(wrenpane, start, shown):
    app = wrenpane.start("--gauge", "Busy", 0, 0, start, stdin=subprocess.PIPE)
    dialog = app.dialog()
    (bar,) = dialog.progress_bars()
    assert progress_of(bar) == shown
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


def test_gauge_surplus_argument(wrenpane):
    assert wrenpane.run("--gauge", "Busy", 0, 0, 5, 6) == (255, unexpected("--gauge", "6"), b"")


def test_gauge_stays_responsive_while_flooded(wrenpane):
    app = wrenpane.start("--gauge", "Flood", 0, 0, stdin=subprocess.PIPE)
    blocks = b"".join(b"XXX\n%d\nline %d\nXXX\n" % (i % 100, i) for i in range(5000))

    def flood():
        try:
            while True:
                app.stdin.write(blocks)
        except (BrokenPipeError, ValueError, OSError):
            pass

    threading.Thread(target=flood, daemon=True).start()
    dialog = app.dialog()
    (bar,) = dialog.progress_bars()
    # The window keeps showing new states while the input floods in...
    wait_until(lambda: progress_of(bar)[0] not in ("0 %", ""), "the bar to move")
    first = progress_of(bar)[0]
    wait_until(lambda: progress_of(bar)[0] != first, "the bar to move again")
    # ...and Escape still ends it.
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


def test_gauge_leaves_standard_input_as_it_found_it(tmp_path):
    """A script goes on reading its standard input after a gauge: the
    descriptor must not have been made non-blocking."""
    script = textwrap.dedent(f"""\
        {harness.BINARY} --gauge Busy 0 0
        echo "gauge $?"
        python3 -c 'import fcntl, os; print("nonblock", bool(fcntl.fcntl(0, fcntl.F_GETFL) & os.O_NONBLOCK))'
        read -r line
        echo "read $line"
    """)
    shell = subprocess.Popen(["sh", "-c", script], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, env=base_env())
    try:
        shell.stdin.write(b"XXX\n50\nhalf\nXXX\nEOF\n")
        shell.stdin.flush()
        assert shell.stdout.readline() == b"gauge 5\n"
        assert shell.stdout.readline() == b"nonblock False\n"
        # The script's read waits for this line instead of failing at once.
        shell.stdin.write(b"after\n")
        shell.stdin.close()
        assert shell.stdout.read() == b"read after\n"
        assert shell.wait(timeout=harness.TIMEOUT) == 0
        assert shell.stderr.read() == b""
    finally:
        shell.kill()
        shell.wait()


# --- mixedgauge ----------------------------------------------------------------


def test_mixedgauge_shows_every_kind_of_value(wrenpane):
    rows = [("build", "25", ("25 %", 0.25)), ("install", "-6", ("Done", 1.0)),
            ("big", "150", ("100 %", 1.0)), ("check", "-4", ("Completed", 1.0)),
            ("blank", "-9", ("", 0.0)), ("odd", "-99", ("Unknown", 0.0)),
            ("bad", "x", ("0 %", 0.0)), ("fail", "-2", ("Failed", 0.0))]
    args = ["50"] + [word for name, value, _ in rows for word in (name, value)]
    # "--" lets the negative values through the option parser.
    app = wrenpane.start("--mixedgauge", "Status", 0, 0, "--", *args, "run", "-8")
    dialog = app.dialog()
    assert dialog.labels() == [name for name, _, _ in rows] + ["run", "Status"]
    bars = dialog.progress_bars()
    assert [progress_of(bar) for bar in bars[:len(rows)]] == [shown for _, _, shown in rows]
    # -8 pulses (no fixed fraction) and says so.
    assert bars[len(rows)].name == "In Progress"
    assert progress_of(bars[-1]) == ("50 %", 0.5)
    assert dialog.buttons() == []
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


def test_mixedgauge_without_values_shows_text_and_main_bar(wrenpane):
    app = wrenpane.start("--mixedgauge", "Status", 0, 0)
    dialog = app.dialog()
    assert dialog.labels() == ["Status"]
    assert [progress_of(bar) for bar in dialog.progress_bars()] == [("0 %", 0.0)]
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


@pytest.mark.parametrize(
    "args, listed",
    [(["50", "build"], ["build"]), (["50", "a", "1", "b"], ["a", "1", "b"])],
)
def test_mixedgauge_even_count_of_values(wrenpane, args, listed):
    assert wrenpane.run("--mixedgauge", "t", 0, 0, *args) == (
        255, unexpected("--mixedgauge", *listed), b"")


# --- pause ---------------------------------------------------------------------


@pytest.mark.parametrize(
    "secs, countdown",
    [
        ("2", [("2", 1.0), ("1", 0.5), ("0", 0.0)]),
        ("abc", [("abc", 1.0), ("0", 0.0)]),  # no number: 0 seconds, shown as typed
    ],
)
def test_pause_counts_down_then_times_out(wrenpane, secs, countdown):
    app = wrenpane.start("--pause", "Wait", 0, 0, secs)
    dialog = app.dialog()
    assert dialog.labels() == ["Wait"]
    assert dialog.button_names() == ["Cancel", "OK"]
    (bar,) = dialog.progress_bars()
    for text, fraction in countdown:
        wait_for_bar(bar, text, fraction)
    # It closes on the tick after the one that showed 0.
    assert app.finish() == (4, b"", b"")


@pytest.mark.parametrize("action, code", [("OK", 0), ("Cancel", 1), ("Escape", 5)])
def test_pause_ended_before_its_time(wrenpane, action, code):
    app = wrenpane.start("--pause", "Wait", 0, 0, 60)
    dialog = app.dialog()
    dialog.close_with(action)
    assert app.finish() == (code, b"", b"")


@pytest.mark.parametrize("args, listed", [([], []), (["5", "6", "7"], ["6", "7"])])
def test_pause_needs_exactly_one_argument(wrenpane, args, listed):
    assert wrenpane.run("--pause", "t", 0, 0, *args) == (255, unexpected("--pause", *listed), b"")
