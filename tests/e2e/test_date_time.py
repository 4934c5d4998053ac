"""calendar, datebox and timebox: a date or a time is picked and answered
through strftime.

Every run sets the time zone and the locale. Runs that depend on the clock
read it from fake_clock.c, preloaded in place of the C library's time().
"""

import subprocess

import pyatspi
import pytest

from harness import focus, has_state, set_text, text_of, value_of, wait_until
from text_fields import unexpected

# Thursday 10 December 2026, 12:00:00 UTC; 21:00:00 in the zone below.
MOMENT = 1796904000
ZONE = "JST-9"
ENV = {"TZ": ZONE, "LC_ALL": "C.UTF-8"}
GERMAN = {"TZ": ZONE, "LC_ALL": "de_DE.UTF-8"}
# Past the years that a struct tm can hold: the time has no local date.
NO_LOCAL_DATE = 2**62


@pytest.fixture(scope="module")
def clock_library(tmp_path_factory):
    """The fake clock, built for this run."""
    library = tmp_path_factory.mktemp("clock") / "fake_clock.so"
    source = __file__.rsplit("/", 1)[0] + "/fake_clock.c"
    subprocess.run(["cc", "-shared", "-fPIC", "-o", str(library), source], check=True, timeout=60)
    return str(library)


@pytest.fixture
def clock_env(clock_library):
    """The environment of a run whose clock reads ``seconds``."""

    def make(seconds, base=ENV):
        return {
            **base,
            "WRENPANE_FAKE_TIME": str(seconds),
            "LD_PRELOAD": clock_library,
            # The sanitizers' runtime wants to come first; the fake clock must.
            "ASAN_OPTIONS": "detect_leaks=0:halt_on_error=1:verify_asan_link_order=0",
        }

    return make


def spins(dialog):
    return dialog.find_all(pyatspi.ROLE_SPIN_BUTTON)


def spin_texts(dialog):
    return [text_of(s) for s in spins(dialog)]


def month_combo(dialog):
    return dialog.find(pyatspi.ROLE_COMBO_BOX)


def datebox_fields(dialog):
    """What the datebox shows: day, month name ("" for none) and year."""
    day, year = spins(dialog)
    return value_of(day), month_combo(dialog).name, value_of(year)


def wait_for_spin(spin, text):
    wait_until(lambda: text_of(spin) == text, f"spin button showing {text!r}")


# --- Arguments -------------------------------------------------------------------


@pytest.mark.parametrize("dialog", ["--calendar", "--datebox", "--timebox"])
@pytest.mark.parametrize("extra", [["1"], ["1", "2"], ["1", "2", "3", "4"]])
def test_other_than_none_or_three_arguments_fail(wrenpane, dialog, extra):
    expected = unexpected(dialog, *extra)
    assert wrenpane.run(dialog, "t", 0, 0, *extra, env=ENV) == (255, expected, b"")


# --- Calendar --------------------------------------------------------------------


@pytest.mark.parametrize(
    "date, answer",
    [
        (["5", "3", "1900"], b"05/03/1900\n"),
        (["31", "12", "9999"], b"31/12/9999\n"),
        (["0", "3", "1900"], b"00/03/1900\n"),  # March 1900 with no day selected
        (["7x", "2", "2024"], b"07/02/2024\n"),
        # Dates the calendar refuses leave it on today.
        (["32", "1", "1900"], b"10/12/2026\n"),
        (["1", "13", "1900"], b"10/12/2026\n"),
        (["1", "0", "1900"], b"10/12/2026\n"),
        (["1", "1", "0"], b"10/12/2026\n"),
        (["--", "1", "1", "-5"], b"01/01/-5\n"),  # a year of 2**32 - 5, read back as -5
    ],
)
def test_calendar_starts_on_the_given_date(wrenpane, clock_env, date, answer):
    app = wrenpane.start("--calendar", "t", 0, 0, *date, env=clock_env(MOMENT))
    app.dialog().press("OK")
    assert app.finish() == (0, b"", answer)


# Where a click falls on a day in the middle of the month shown (not the 5th)
# when the calendar keeps its natural height (1 row asked for): fractions of
# its width and height.
MID_MONTH = (0.5, 0.6)


def calendar_answer_day(answer: bytes) -> int:
    """The day of a calendar answer for March 1900."""
    day, month_year = answer.decode().split("/", 1)
    assert month_year == "03/1900\n"
    return int(day)


@pytest.mark.parametrize(
    "options, code",
    [([], 0), (["--defaultno"], 1)],  # the default button answers
)
def test_double_click_on_a_day_activates_the_default_button(wrenpane, options, code):
    app = wrenpane.start(*options, "--calendar", "t", 1, 30, "5", "3", "1900", env=ENV)
    dialog = app.dialog()
    dialog.double_click(dialog.find(pyatspi.ROLE_CALENDAR), *MID_MONTH)
    result = app.finish()
    assert result[:2] == (code, b"")
    if code == 0:
        assert 8 <= calendar_answer_day(result.stderr) <= 28
    else:
        assert result.stderr == b""


def test_double_click_only_selects_with_switch_buttons(wrenpane):
    app = wrenpane.start(
        "--switch-buttons", "--defaultno", "--extra-button",
        "--calendar", "t", 1, 30, "5", "3", "1900", env=ENV,
    )
    dialog = app.dialog()
    dialog.double_click(dialog.find(pyatspi.ROLE_CALENDAR), *MID_MONTH)
    # The window stays: Extra still answers, with the day clicked.
    dialog.press("Extra")
    result = app.finish()
    assert result[:2] == (3, b"")
    assert 8 <= calendar_answer_day(result.stderr) <= 28


@pytest.mark.parametrize(
    "keys, answer",
    [
        (["Return"], b"05/03/1900\n"),
        (["ctrl+Right", "Return"], b"05/04/1900\n"),  # next month, same day
        (["ctrl+Left", "Return"], b"05/02/1900\n"),
        # The arrows move the keyboard cursor from the first cell, space
        # selects: the first Sunday of March 1900 was the 4th.
        (["Right", "Down", "space", "Return"], b"04/03/1900\n"),
    ],
)
def test_calendar_keyboard(wrenpane, keys, answer):
    app = wrenpane.start("--calendar", "t", 0, 0, "5", "3", "1900", env=ENV)
    dialog = app.dialog()
    calendar = dialog.find(pyatspi.ROLE_CALENDAR)
    wait_until(lambda: has_state(calendar, pyatspi.STATE_FOCUSED), "focus on the calendar")
    dialog.key(*keys)
    assert app.finish() == (0, b"", answer)
