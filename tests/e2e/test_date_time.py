"""calendar, datebox and timebox: a date or a time is picked and answered
through strftime.

Every run sets the time zone and the locale. Runs that depend on the clock
read it from fake_clock.c, preloaded in place of the C library's time().
"""

import subprocess

import pyatspi
import pytest

from harness import focus, has_state, position, set_text, text_of, unexpected, value_of, wait_until

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
        # Years above 2**31 - 1 come back negative: -5 is 2**32 - 5.
        (["--", "1", "1", "-5"], b"01/01/-5\n"),
        (["1", "1", "2147483648"], b"01/01/-2147483648\n"),
    ],
)
def test_calendar_starts_on_the_given_date(wrenpane, clock_env, date, answer):
    app = wrenpane.start("--calendar", "t", 0, 0, *date, env=clock_env(MOMENT))
    app.dialog().press("OK")
    assert app.finish() == (0, b"", answer)


@pytest.mark.parametrize(
    "date, answer",
    [
        # A day past the end of its month starts on the month's last day,
        # selected: the answer is a day the user saw, weekday and all.
        (["29", "2", "2023"], b"Tue 28/02/2023 059\n"),
        (["31", "4", "2026"], b"Thu 30/04/2026 120\n"),
        (["29", "2", "1900"], b"Wed 28/02/1900 059\n"),
        (["30", "2", "2000"], b"Tue 29/02/2000 060\n"),
        (["29", "2", "2024"], b"Thu 29/02/2024 060\n"),
        # No day selected: day 0 exists in no month, so it has no weekday.
        (["0", "2", "2023"], b"? 00/02/2023 ?\n"),
    ],
)
def test_calendar_starts_on_a_day_of_its_month(wrenpane, date, answer):
    app = wrenpane.start(
        "--date-format", "%a %d/%m/%Y %j", "--calendar", "t", 0, 0, *date, env=ENV
    )
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


# --- Datebox ---------------------------------------------------------------------


@pytest.mark.parametrize(
    "date, fields, answer",
    [
        (["5", "3", "1900"], (5, "March", 1900), b"05/03/1900\n"),
        (["31", "2", "1900"], (31, "February", 1900), b"31/02/1900\n"),  # not corrected
        (["7x", "12", "2026"], (7, "December", 2026), b"07/12/2026\n"),
        (["1", "13", "1900"], (1, "", 1900), b"01/00/1900\n"),  # no month chosen
        (["0", "0", "2000"], (1, "", 2000), b"01/00/2000\n"),
        # Negative numbers are huge unsigned ones: the spins clamp them to
        # their top, and no month has such an index.
        (["--", "-1", "-1", "-1"], (31, "", 9999), b"31/00/9999\n"),
        (["1", "1", "0"], (1, "January", 0), b"01/01/0\n"),  # a starting 0 stays
    ],
)
def test_datebox_starts_on_the_given_date(wrenpane, date, fields, answer):
    app = wrenpane.start("--datebox", "t", 0, 0, *date, env=ENV)
    dialog = app.dialog()
    assert datebox_fields(dialog) == fields
    dialog.press("OK")
    assert app.finish() == (0, b"", answer)


@pytest.mark.parametrize(
    "seconds, fields, answer",
    [
        (MOMENT, (10, "December", 2026), b"10/12/2026\n"),
        # A clock with no time at all: every field from -1.
        (-1, (31, "", 9999), b"31/00/9999\n"),
    ],
)
def test_datebox_without_a_date_starts_today(wrenpane, clock_env, seconds, fields, answer):
    app = wrenpane.start("--datebox", "t", 0, 0, env=clock_env(seconds))
    dialog = app.dialog()
    assert datebox_fields(dialog) == fields
    dialog.press("OK")
    assert app.finish() == (0, b"", answer)


def test_month_names_and_answer_follow_the_locale(wrenpane):
    app = wrenpane.start(
        "--date-format", "%A, %d. %B %Y", "--datebox", "t", 0, 0, "5", "3", "1900", env=GERMAN
    )
    dialog = app.dialog()
    combo = month_combo(dialog)
    assert combo.name == "März"
    names = [item.name for item in dialog.find_all(pyatspi.ROLE_MENU_ITEM)]
    assert names == [
        "Januar", "Februar", "März", "April", "Mai", "Juni",
        "Juli", "August", "September", "Oktober", "November", "Dezember",
    ]
    dialog.key("Tab", "Down")  # from the day to the month, one month on
    wait_until(lambda: combo.name == "April", "April chosen")
    dialog.press("OK")
    assert app.finish() == (0, b"", "Donnerstag, 05. April 1900\n".encode())


@pytest.mark.parametrize(
    "start, keys, answer",
    [
        # Every field in turn with Tab; Enter in the year answers.
        (["5", "3", "1900"], ["Up", "Tab", "Down", "Tab", "Up", "Return"], b"06/04/1901\n"),
        # The day does not wrap.
        (["31", "3", "1900"], ["Up", "Down", "Return"], b"30/03/1900\n"),
        (["1", "3", "1900"], ["Down", "Up", "Return"], b"02/03/1900\n"),
        # The month does not wrap either, and starts from none at January.
        (["1", "12", "1900"], ["Tab", "Down", "Tab", "Return"], b"01/12/1900\n"),
        (["1", "13", "1900"], ["Tab", "Down", "Tab", "Return"], b"01/01/1900\n"),
        # Stepping down from year 1 stays at 1 (then up gives 2, not 1).
        (["1", "1", "1"], ["Tab", "Tab", "Down", "Up", "Return"], b"01/01/2\n"),
        (["1", "1", "2"], ["Tab", "Tab", "Down", "Down", "Return"], b"01/01/1\n"),
    ],
)
def test_datebox_keyboard(wrenpane, start, keys, answer):
    app = wrenpane.start("--datebox", "t", 0, 0, *start, env=ENV)
    dialog = app.dialog()
    wait_until(lambda: has_state(spins(dialog)[0], pyatspi.STATE_FOCUSED), "focus on the day")
    dialog.key(*keys)
    assert app.finish() == (0, b"", answer)


@pytest.mark.parametrize(
    "typed, answer",
    [("0", b"05/03/1\n"), ("-44", b"05/03/-44\n"), ("12345", b"05/03/9999\n")],
)
def test_datebox_typed_year(wrenpane, typed, answer):
    app = wrenpane.start("--datebox", "t", 0, 0, "5", "3", "1900", env=ENV)
    dialog = app.dialog()
    year = spins(dialog)[1]
    focus(year)  # selects the whole text
    dialog.type(typed)
    dialog.key("Return")
    assert app.finish() == (0, b"", answer)


def datebox_row(dialog):
    """The datebox's labels and fields by name, from left to right (the
    month's drop-down is named for the month it shows)."""
    labels = [a for a in dialog.find_all(pyatspi.ROLE_LABEL) if a.name in ("Day: ", "Month: ", "Year: ")]
    row = [*labels, *spins(dialog), month_combo(dialog)]
    return [a.name for a in sorted(row, key=lambda a: position(a)[0])]


DMY = ["Day: ", "Day", "Month: ", "March", "Year: ", "Year"]
MDY = ["Month: ", "March", "Day: ", "Day", "Year: ", "Year"]
YMD = ["Year: ", "Year", "Month: ", "March", "Day: ", "Day"]


@pytest.mark.wayland
@pytest.mark.parametrize(
    "options, row, answer",
    [
        ([], DMY, b"05/03/1900\n"),
        (["--datebox-format", "d/m/y"], DMY, b"05/03/1900\n"),
        (["--datebox-format", "m/d/y"], MDY, b"03/05/1900\n"),
        (["--datebox-format", "y/m/d"], YMD, b"1900/03/05\n"),
        # An answer format of the script's own wins; the last order given counts.
        (["--datebox-format", "m/d/y", "--date-format", "%d.%m.%Y"], MDY, b"05.03.1900\n"),
        (["--datebox-format", "m/d/y", "--datebox-format", "y/m/d"], YMD, b"1900/03/05\n"),
    ],
)
def test_datebox_format_orders_the_fields_and_the_answer(wrenpane, options, row, answer):
    app = wrenpane.start(*options, "--datebox", "t", 0, 0, "5", "3", "1900", env=ENV)
    dialog = app.dialog()
    assert datebox_row(dialog) == row
    dialog.press("OK")
    assert app.finish() == (0, b"", answer)


@pytest.mark.wayland
def test_datebox_keyboard_follows_the_field_order(wrenpane):
    # The first field has the focus, and Tab goes along the row.
    app = wrenpane.start("--datebox-format", "y/m/d", "--datebox", "t", 0, 0, "5", "3", "1900", env=ENV)
    dialog = app.dialog()
    day, year = sorted(spins(dialog), key=lambda a: a.name)
    wait_until(lambda: has_state(year, pyatspi.STATE_FOCUSED), "focus on the year")
    dialog.key("Up", "Tab", "Down", "Tab", "Up", "Return")
    assert app.finish() == (0, b"", b"1901/04/06\n")

    app = wrenpane.start("--datebox-format", "m/d/y", "--datebox", "t", 0, 0, "5", "3", "1900", env=ENV)
    dialog = app.dialog()
    day, year = sorted(spins(dialog), key=lambda a: a.name)
    focus(day)
    dialog.key("Tab", "Up", "Return")  # from the day to the year
    assert app.finish() == (0, b"", b"03/05/1901\n")


@pytest.mark.wayland
def test_datebox_format_leaves_the_calendar_alone(wrenpane):
    app = wrenpane.start("--datebox-format", "y/m/d", "--calendar", "t", 0, 0, "5", "3", "1900", env=ENV)
    app.dialog().press("OK")
    assert app.finish() == (0, b"", b"05/03/1900\n")


@pytest.mark.wayland
@pytest.mark.parametrize("value", ["d/m/Y", "y-m-d", ""])
def test_datebox_format_other_values_are_errors(wrenpane, value):
    error = f"wrenpane: --datebox-format {value} is not one of d/m/y|m/d/y|y/m/d\n".encode()
    assert wrenpane.run("--datebox-format", value, "--datebox", "t", 0, 0, env=ENV) == (255, b"", error)


# --- Timebox ---------------------------------------------------------------------


@pytest.mark.parametrize(
    "time, shown, answer",
    [
        (["9", "5", "0"], ["09", "05", "00"], b"09:05:00\n"),
        (["24", "60", "61"], ["23", "59", "60"], b"23:59:60\n"),  # clamped
        (["--", "-1", "-1", "-1"], ["23", "59", "60"], b"23:59:60\n"),
        (["7x", "abc", ""], ["07", "00", "00"], b"07:00:00\n"),
    ],
)
def test_timebox_starts_on_the_given_time(wrenpane, time, shown, answer):
    app = wrenpane.start("--timebox", "t", 0, 0, *time, env=ENV)
    dialog = app.dialog()
    assert spin_texts(dialog) == shown
    dialog.press("OK")
    assert app.finish() == (0, b"", answer)


@pytest.mark.parametrize(
    "time, shown, answer",
    [
        ([], ["21", "00", "00"], b"Thu 10/12/2026 21:00:00 JST\n"),
        # The date is that of the moment the dialog opened, also when the
        # time comes from the command line.
        (["9", "5", "0"], ["09", "05", "00"], b"Thu 10/12/2026 09:05:00 JST\n"),
    ],
)
def test_timebox_keeps_the_date_it_opened_on(wrenpane, clock_env, time, shown, answer):
    app = wrenpane.start(
        "--time-format", "%a %d/%m/%Y %H:%M:%S %Z", "--timebox", "t", 0, 0, *time,
        env=clock_env(MOMENT),
    )
    dialog = app.dialog()
    assert spin_texts(dialog) == shown
    dialog.press("OK")
    assert app.finish() == (0, b"", answer)


@pytest.mark.parametrize(
    "start, keys, shown",
    [
        (["23", "0", "0"], ["Up"], ["00", "00", "00"]),
        (["0", "0", "0"], ["Down"], ["23", "00", "00"]),
        (["0", "0", "0"], ["Tab", "Down"], ["00", "59", "00"]),
        (["0", "59", "0"], ["Tab", "Up"], ["00", "00", "00"]),
        (["0", "0", "60"], ["Tab", "Tab", "Up"], ["00", "00", "00"]),
        (["0", "0", "0"], ["Tab", "Tab", "Down"], ["00", "00", "60"]),
        (["8", "0", "9"], ["Up", "Tab", "Up", "Tab", "Up"], ["09", "01", "10"]),
    ],
)
def test_timebox_steps_wrap_and_show_two_digits(wrenpane, start, keys, shown):
    app = wrenpane.start("--timebox", "t", 0, 0, *start, env=ENV)
    dialog = app.dialog()
    wait_until(lambda: has_state(spins(dialog)[0], pyatspi.STATE_FOCUSED), "focus on the hours")
    dialog.key(*keys)
    wait_until(lambda: spin_texts(dialog) == shown, f"spins showing {shown}")
    dialog.key("Return")
    assert app.finish() == (0, b"", ":".join(shown).encode() + b"\n")


def test_timebox_typed_value_is_answered_on_enter(wrenpane):
    app = wrenpane.start("--timebox", "t", 0, 0, "9", "5", "0", env=ENV)
    dialog = app.dialog()
    minutes = spins(dialog)[1]
    focus(minutes)
    dialog.type("7")
    dialog.key("Return")
    assert app.finish() == (0, b"", b"09:07:00\n")


# --- Shared behaviour ------------------------------------------------------------

DIALOGS = {
    "--calendar": (["5", "3", "1900"], b"05/03/1900\n"),
    "--datebox": (["5", "3", "1900"], b"05/03/1900\n"),
    "--timebox": (["9", "5", "0"], b"09:05:00\n"),
}


@pytest.mark.parametrize("name", DIALOGS)
@pytest.mark.parametrize(
    "button, code, answered",
    [("OK", 0, True), ("Extra", 3, True), ("Cancel", 1, False), ("Help", 2, False),
     ("Escape", 5, False)],
)
def test_answer_only_for_ok_and_extra(wrenpane, name, button, code, answered):
    args, answer = DIALOGS[name]
    app = wrenpane.start(
        "--output-fd", "3", "--extra-button", "--help-button", name, "t", 0, 0, *args,
        env=ENV, fds=(3,),
    )
    dialog = app.dialog()
    dialog.close_with(button)
    assert app.finish() == (code, b"", b"")
    assert app.fds[3] == (answer if answered else b"")


@pytest.mark.parametrize("name", DIALOGS)
@pytest.mark.parametrize("options, code", [([], 0), (["--defaultno"], 1)])
def test_enter_activates_the_default_button(wrenpane, name, options, code):
    args, answer = DIALOGS[name]
    app = wrenpane.start(*options, name, "t", 0, 0, *args, env=ENV)
    app.dialog().key("Return")
    assert app.finish() == (code, b"", answer if code == 0 else b"")


@pytest.mark.parametrize(
    "args, answer",
    [
        # The date is written as chosen even when it does not exist; such a
        # date has no weekday and no day of the year.
        (["--date-format", "%A %j %d/%m/%Y", "--datebox", "t", 0, 0, "31", "2", "1900"],
         b"? ? 31/02/1900\n"),
        (["--date-format", "%A %j %d/%m/%Y", "--datebox", "t", 0, 0, "28", "2", "1900"],
         b"Wednesday 059 28/02/1900\n"),
        (["--date-format", "%a %u %U", "--calendar", "t", 0, 0, "10", "12", "2026"],
         b"Thu 4 49\n"),
        # The whole formatted text is the answer, however long; an empty
        # one is a lone newline.
        (["--date-format", "", "--calendar", "t", 0, 0, "5", "3", "1900"], b"\n"),
        (["--date-format", "x" * 1023, "--datebox", "t", 0, 0, "5", "3", "1900"],
         b"x" * 1023 + b"\n"),
        (["--date-format", "%20000d", "--calendar", "t", 0, 0, "5", "3", "1900"],
         b"0" * 19999 + b"5\n"),
        (["--time-format", "%H" * 600, "--timebox", "t", 0, 0, "9", "5", "0"],
         b"09" * 600 + b"\n"),
        (["--time-format", "", "--timebox", "t", 0, 0, "9", "5", "0"], b"\n"),
    ],
)
def test_formats(wrenpane, args, answer):
    app = wrenpane.start(*args, env=ENV)
    app.dialog().press("OK")
    assert app.finish() == (0, b"", answer)


@pytest.mark.parametrize(
    "seconds, args",
    [
        (NO_LOCAL_DATE, ["--datebox", "t", 0, 0]),
        (NO_LOCAL_DATE, ["--timebox", "t", 0, 0]),
        (NO_LOCAL_DATE, ["--timebox", "t", 0, 0, "9", "5", "0"]),
        (-1, ["--timebox", "t", 0, 0]),
        (-1, ["--timebox", "t", 0, 0, "1", "2"]),  # the clock is read before the arguments
    ],
)
def test_clock_failure_shows_the_error_and_ends_with_error(wrenpane, clock_env, seconds, args):
    app = wrenpane.start(*args, env=clock_env(seconds))
    popup = app.dialog()
    assert popup.window_manager_title() == "Error"
    assert popup.labels() == ["Error", "Value too large for defined data type"]
    popup.press("Close")
    assert app.finish() == (255, b"", b"")
