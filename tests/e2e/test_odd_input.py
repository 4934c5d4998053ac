"""Inputs that must neither crash the program nor make GTK print anything
on standard error (the answer descriptor): invalid UTF-8, absurd sizes, and
an answer descriptor whose reader has gone."""

import pyatspi
import pytest

from harness import has_state, screen_size, text_of

BAD = b"caf\xe9 \xff\xfe!"  # Latin-1 and stray bytes, not UTF-8
SHOWN = "caf\ufffd \ufffd\ufffd!"


def test_invalid_utf8_is_shown_with_replacement_characters(wrenpane):
    app = wrenpane.start("--title", BAD, "--hline", BAD, "--ok-label", BAD,
                         "--extra-button", "--extra-label", BAD, "--msgbox", BAD, 0, 0)
    dialog = app.dialog()
    assert (dialog.title, dialog.subtitle, dialog.labels()) == (SHOWN, SHOWN, [SHOWN])
    assert dialog.button_names() == [SHOWN, SHOWN]
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


def test_invalid_utf8_in_yesno_labels_and_infobox(wrenpane):
    app = wrenpane.start("--yes-label", BAD, "--no-label", BAD, "--yesno", BAD, 0, 0,
                         "--and-dialog", "--title", BAD, "--hline", BAD, "--sleep", "60",
                         "--infobox", BAD, 0, 0)
    dialog = app.dialog()
    assert dialog.button_names() == [SHOWN, SHOWN]
    dialog.key("Return")
    infobox = app.dialog()
    assert infobox.labels() == ["Information", SHOWN]
    assert infobox.window_manager_title() == SHOWN
    infobox.key("Escape")
    assert app.finish() == (0, b"", b"")


@pytest.mark.parametrize("dialog_option", ["--msgbox", "--yesno", "--infobox"])
@pytest.mark.parametrize(
    "rows, cols",
    [(-5, -3), (-1, 40), (5, -99999999), (99999999, 99999999), (2147483647, 1), (-2147483648, 0)],
)
def test_absurd_sizes_are_quiet(wrenpane, dialog_option, rows, cols):
    app = wrenpane.start("--sleep", "60", dialog_option, "--", "hi", rows, cols)
    app.dialog().key("Escape")
    code = 0 if dialog_option == "--infobox" else 5
    assert app.finish() == (code, b"", b"")


TALL = "\n".join(str(n) for n in range(1, 2001))  # some 38,000 pixels of text
HUGE = "x" * 32768


@pytest.mark.parametrize(
    "args",
    [
        ["--msgbox", TALL, 0, 0],
        ["--yesno", "0123456789abcdef" * 1024, 0, 0],  # one unbroken 16 KB word
        ["--ok-label", HUGE, "--extra-button", "--extra-label", HUGE, "--msgbox", "hi", 0, 0],
        ["--item-help", "--menu", "hi", 0, 0, 5, "a", "A", f"<b>{HUGE}</b>"],
    ],
    ids=["tall-text", "long-word", "huge-buttons", "huge-item-help"],
)
def test_huge_texts_stay_on_screen_and_quiet(wrenpane, args):
    app = wrenpane.start(*args)
    dialog = app.dialog()
    # The text scrolls inside the window instead of stretching it.
    assert dialog.extents()[3] <= screen_size()[1]
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


def test_text_taller_than_the_screen_is_whole_and_read_only(wrenpane):
    # It scrolls in a text view: a screen reader gets every line, and the
    # keyboard stays with the buttons.
    app = wrenpane.start("--yesno", TALL, 0, 0)
    dialog = app.dialog()
    (text,) = dialog.find_all(pyatspi.ROLE_TEXT)
    assert text_of(text) == TALL
    assert not has_state(text, pyatspi.STATE_EDITABLE)
    dialog.key("Return")
    assert app.finish() == (0, b"", b"")


@pytest.mark.parametrize("sleep", ["99999999999", "-1", "abc"])
def test_absurd_infobox_delays_are_quiet(wrenpane, sleep):
    app = wrenpane.start("--sleep", sleep, "--infobox", "hi", 0, 0)
    app.dialog().key("Escape")
    assert app.finish() == (0, b"", b"")


LOST = b"wrenpane: cannot write the answer: Bad file descriptor\n"


@pytest.mark.parametrize(
    "args, closed",
    [
        (["--print-version"], 2),
        (["--stdout", "--print-version"], 1),
        (["--output-fd", "3", "--print-version", "--print-maxsize"], 3),
    ],
)
def test_answer_descriptor_without_reader_is_an_error_not_a_kill(wrenpane, args, closed):
    # Killed by SIGPIPE, the run would end with -13 and say nothing.
    reason = b"wrenpane: cannot write the answer: Broken pipe\n" if closed != 2 else b""
    assert wrenpane.run(*args, closed=[closed]) == (255, b"", reason)


@pytest.mark.parametrize(
    "shut, options",
    [
        ([3], ["--output-fd", "3"]),
        ([2], []),
        ([1], ["--stdout"]),
        ([0, 1, 2], ["--output-fd", "1"]),
        ([3, 4], ["--output-fd", "4"]),
    ],
    ids=["fd3", "stderr", "stdout", "all-standard", "fd4"],
)
def test_answer_to_a_descriptor_closed_at_start_is_lost_and_an_error(wrenpane, shut, options):
    # The program's own descriptors (the display connection first) take the
    # lowest free numbers: an answer must never be written into one of them.
    # It cannot go where the caller meant either, which ends the chain.
    app = wrenpane.start(*options, "--inputbox", "q", 0, 0, "abc",
                         "--and-dialog", "--yesno", "never shown", 0, 0, shut=shut)
    app.dialog().press("OK")
    code, stdout, stderr = app.finish()
    assert code == 255
    assert b"abc" not in stdout + stderr


@pytest.mark.parametrize(
    "shut, fd",
    [([], "99"), ([], "-4"), ([3, 4], "4")],
    ids=["never-open", "negative", "closed-at-start"],
)
def test_print_only_line_to_a_bad_descriptor_is_an_error(wrenpane, shut, fd):
    assert wrenpane.run("--output-fd", fd, "--print-version", shut=shut) == (255, b"", LOST)
