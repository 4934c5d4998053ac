"""inputbox and passwordbox: the typed line is the answer, written unquoted
on a line of its own for OK and Extra only."""

import pyatspi
import pytest

from harness import (do_action, entries, focus, has_state, set_text, text_of, the_entry, unexpected,
                     wait_for_text, wait_until)

pytestmark = pytest.mark.wayland

@pytest.mark.parametrize(
    "args, expected",
    [
        (["--inputbox", "t", 0, 0, "a", "b"], unexpected("--inputbox", "a", "b")),
        (["--inputbox", "t", 0, 0, "a", "b", "c"], unexpected("--inputbox", "a", "b", "c")),
        (["--passwordbox", "t", 0, 0, "secret"], unexpected("--passwordbox", "secret")),
        (["--passwordbox", "t", 0, 0, "x", ""], unexpected("--passwordbox", "x", "")),
    ],
)
def test_surplus_arguments_fail_before_any_window(wrenpane, args, expected):
    assert wrenpane.run(*args) == (255, expected, b"")


def test_typed_unicode_is_answered_exactly_as_typed(wrenpane):
    app = wrenpane.start("--inputbox", "Name?", 0, 0, "start")
    dialog = app.dialog()
    entry = the_entry(dialog)
    assert text_of(entry) == "start"
    focus(entry)  # selects the whole text
    dialog.key("End")
    dialog.type("ünï €😀")
    wait_for_text(entry, "startünï €😀")
    dialog.press("OK")
    assert app.finish() == (0, b"", "startünï €😀\n".encode())


def test_empty_answer_and_escape(wrenpane):
    app = wrenpane.start("--inputbox", "t", 0, 0, "")
    app.dialog().press("OK")
    assert app.finish() == (0, b"", b"\n")

    app = wrenpane.start("--inputbox", "t", 0, 0, "kept")
    app.dialog().key("Escape")
    assert app.finish() == (5, b"", b"")


@pytest.mark.parametrize(
    "options, code, answer",
    [
        ([], 0, b"typed\n"),  # Enter in the entry activates OK
        (["--defaultno"], 1, b""),  # ... or Cancel, when that is the default
    ],
)
def test_enter_activates_the_default_button(wrenpane, options, code, answer):
    app = wrenpane.start(*options, "--inputbox", "t", 0, 0)
    dialog = app.dialog()
    entry = the_entry(dialog)
    dialog.type("typed", into=entry)
    wait_for_text(entry, "typed")
    dialog.key("Return")
    assert app.finish() == (code, b"", answer)


def test_switch_buttons_keeps_enter_in_the_entry(wrenpane):
    app = wrenpane.start("--switch-buttons", "--inputbox", "t", 0, 0)
    dialog = app.dialog()
    entry = the_entry(dialog)
    dialog.type("a", into=entry)
    wait_for_text(entry, "a")
    # Keys are handled in order: if Return had closed the dialog, "b"
    # would never reach the entry.
    dialog.key("Return", "b")
    wait_for_text(entry, "ab")
    dialog.press("OK")
    assert app.finish() == (0, b"", b"ab\n")


@pytest.mark.parametrize(
    "options, pasted, kept",
    [
        ([], 3000, 2048),
        (["--max-input", "5"], 8, 5),
        (["--max-input", "0"], 3000, 3000),
        # Beyond what an entry takes: clamped, without a GTK warning (its
        # buffer holds at most 65534 bytes in any case).
        (["--max-input", "4000000000"], 70000, 65534),
    ],
)
def test_max_input_limits_the_entry(wrenpane, options, pasted, kept):
    app = wrenpane.start(*options, "--inputbox", "t", 0, 0)
    dialog = app.dialog()
    entry = the_entry(dialog)
    set_text(entry, "x" * pasted)
    wait_for_text(entry, "x" * kept)
    dialog.press("OK")
    assert app.finish() == (0, b"", b"x" * kept + b"\n")


@pytest.mark.parametrize(
    "options, initial, keys, answer",
    [
        # Untouched, the whole initial text is the answer.
        ([], "y" * 3000, [], "y" * 3000),
        # The limit holds for typing: "z" finds no room, BackSpace makes some.
        (["--max-input", "3"], "abcdef", ["End", "z", "BackSpace"], "abcde"),
    ],
)
def test_max_input_keeps_a_longer_initial_text_whole(wrenpane, options, initial, keys, answer):
    app = wrenpane.start(*options, "--inputbox", "t", 0, 0, initial)
    dialog = app.dialog()
    entry = the_entry(dialog)
    assert text_of(entry) == initial
    if keys:
        focus(entry)
        dialog.key(*keys)
        wait_for_text(entry, answer)
    dialog.press("OK")
    assert app.finish() == (0, b"", answer.encode() + b"\n")


def test_insecure_hides_the_inputbox_text(wrenpane):
    app = wrenpane.start("--insecure", "--inputbox", "t", 0, 0, "pw")
    dialog = app.dialog()
    assert the_entry(dialog).getRole() == pyatspi.ROLE_PASSWORD_TEXT
    dialog.press("OK")
    assert app.finish() == (0, b"", b"pw\n")


@pytest.mark.parametrize("options", [[], ["--insecure"]])
def test_show_password_toggles_both_ways(wrenpane, options):
    app = wrenpane.start(*options, "--passwordbox", "Password?", 0, 0)
    dialog = app.dialog()
    entry = the_entry(dialog)
    assert entry.getRole() == pyatspi.ROLE_PASSWORD_TEXT
    show = dialog.find(pyatspi.ROLE_CHECK_BOX, "Show password")
    assert not has_state(show, pyatspi.STATE_CHECKED)

    do_action(show, "click")
    wait_until(lambda: entry.getRole() == pyatspi.ROLE_TEXT, "the text to show")
    do_action(show, "click")
    wait_until(lambda: entry.getRole() == pyatspi.ROLE_PASSWORD_TEXT, "the text to hide")

    dialog.type("s3cret é", into=entry)
    wait_until(lambda: len(text_of(entry)) == 8, "eight typed characters")
    dialog.key("Return")
    assert app.finish() == (0, b"", "s3cret é\n".encode())


def test_invalid_utf8_initial_text_is_shown_repaired_and_answered_unchanged(wrenpane):
    app = wrenpane.start("--inputbox", b"t\xff", 0, 0, b"a\xfeb")
    dialog = app.dialog()
    assert text_of(the_entry(dialog)) == "a\ufffdb"
    dialog.press("OK")
    assert app.finish() == (0, b"", b"a\xfeb\n")


def test_huge_width_is_clamped_quietly(wrenpane):
    app = wrenpane.start("--inputbox", "t", 10, 2147483647, "wide")
    app.dialog().press("OK")
    assert app.finish() == (0, b"", b"wide\n")

