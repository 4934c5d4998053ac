"""rangebox: a slider over whole numbers; the answer is the chosen number."""

import pyatspi
import pytest

from harness import has_state, set_value, unexpected, value_of, wait_until

pytestmark = pytest.mark.wayland


def slider(dialog):
    return dialog.find(pyatspi.ROLE_SLIDER)


@pytest.mark.parametrize(
    "bounds, expected",
    [
        (["10", "1"], b"Error: min > max\n"),
        (["7"], unexpected("--rangebox", "7")),
        ([], unexpected("--rangebox")),
        (["1", "2", "3", "4"], unexpected("--rangebox", "1", "2", "3", "4")),
    ],
)
def test_bad_arguments_fail_before_any_window(wrenpane, bounds, expected):
    assert wrenpane.run("--rangebox", "t", 0, 0, *bounds) == (255, expected, b"")
    # The ERROR exit code follows its environment variable.
    env = {"WRENBOX_ERROR": "9"}
    assert wrenpane.run("--rangebox", "t", 0, 0, *bounds, env=env) == (9, expected, b"")


@pytest.mark.parametrize(
    "bounds, start",
    [
        (["1", "10", "5"], 5),
        (["1", "10", "50"], 10),  # clamped into the range
        (["0", "10"], 0),  # no init: the minimum
        (["--", "-5", "5", "-99"], -5),
        (["--", "-2147483648", "2147483647", "-1"], -1),
    ],
)
def test_starting_value_is_answered_on_ok(wrenpane, bounds, start):
    app = wrenpane.start("--rangebox", "t", 0, 0, *bounds)
    dialog = app.dialog()
    assert value_of(slider(dialog)) == start
    dialog.press("OK")
    assert app.finish() == (0, b"", f"{start}\n".encode())


def test_negative_bounds_after_a_separator_can_go_on_in_a_chain(wrenpane):
    app = wrenpane.start("--rangebox", "v", 0, 0, "--", "-10", "10", "-3",
                         "--and-dialog", "--msgbox", "two", 0, 0)
    dialog = app.dialog()
    assert value_of(slider(dialog)) == -3
    dialog.press("OK")
    app.dialog().press("OK")
    assert app.finish() == (0, b"", b"-3\n")


@pytest.mark.parametrize("key, answer", [("Home", b"-5\n"), ("End", b"5\n"), ("Left", b"-1\n")])
def test_keyboard_moves_the_slider(wrenpane, key, answer):
    app = wrenpane.start("--rangebox", "t", 0, 0, "--", "-5", "5", "0")
    dialog = app.dialog()
    scale = slider(dialog)
    scale.queryComponent().grabFocus()
    wait_until(lambda: has_state(scale, pyatspi.STATE_FOCUSED), "focus on the slider")
    dialog.key(key)
    wait_until(lambda: value_of(scale) != 0, "the slider to move")
    dialog.press("OK")
    assert app.finish() == (0, b"", answer)


@pytest.mark.parametrize("value, answer", [(3.7, b"3\n"), (-3.7, b"-3\n"), (-0.5, b"0\n")])
def test_fractional_values_are_truncated_towards_zero(wrenpane, value, answer):
    app = wrenpane.start("--rangebox", "t", 0, 0, "--", "-10", "10")
    dialog = app.dialog()
    set_value(slider(dialog), value)
    dialog.press("OK")
    assert app.finish() == (0, b"", answer)


@pytest.mark.parametrize("bounds", [["5", "5"], ["5", "5", "9"], ["--", "5", "5", "-9"]])
def test_equal_bounds_show_the_one_value_quietly(wrenpane, bounds):
    app = wrenpane.start("--rangebox", "t", 0, 0, *bounds)
    dialog = app.dialog()
    scale = slider(dialog)
    assert value_of(scale) == 5
    assert not has_state(scale, pyatspi.STATE_SENSITIVE)
    dialog.press("OK")
    assert app.finish() == (0, b"", b"5\n")
