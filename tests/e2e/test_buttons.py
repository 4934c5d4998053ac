"""A script's own buttons (--left1-button ... --right3-button) and the
button Enter starts on (--default-button): where the buttons stand in the
bar, what they answer and end with, and the errors of their options."""

import pyatspi
import pytest

from harness import focused, language_env, translated, wait_until

pytestmark = pytest.mark.wayland

BUTTON = pyatspi.ROLE_PUSH_BUTTON

# Each custom button with its label and the name a screen reader hears.
CUSTOM = {
    "left1": ("_Save", "Save"),
    "left2": ("S_kip", "Skip"),
    "left3": ("_Draft", "Draft"),
    "right1": ("_Retry", "Retry"),
    "right2": ("_Apply", "Apply"),
    "right3": ("_Later", "Later"),
}
ALL_CUSTOM = [word for button, (label, _) in CUSTOM.items() for word in (f"--{button}-button", label)]
LEFT = [name for button, (_, name) in CUSTOM.items() if button.startswith("left")]
RIGHT = [name for button, (_, name) in CUSTOM.items() if button.startswith("right")]

MSGBOX = ["--msgbox", "Done.", 0, 0]
YESNO = ["--yesno", "Sure?", 0, 0]
INPUTBOX = ["--inputbox", "Name?", 0, 0, "Ada"]
FORM = ["--form", "Who?", 0, 0, 0, "First", 1, 1, "Ada", 1, 10, 10, 0, "Last", 2, 1, "King", 2, 10, 10, 0]
CHECKLIST = ["--checklist", "Which?", 0, 0, 0, "a", "A", "on", "b", "B", "off", "c", "C", "on"]
CALENDAR = ["--calendar", "When?", 0, 0, 5, 3, 2020]
TEXTBOX = ["--textbox", "/etc/hostname", 0, 0]

DIALOGS = {"msgbox": MSGBOX, "form": FORM, "checklist": CHECKLIST, "calendar": CALENDAR, "inputbox": INPUTBOX}


# Buttons stand in a header bar, but below the content in full screen.
@pytest.mark.parametrize("bar", [[], ["--begin-x", -1]], ids=["header-bar", "full-screen"])
@pytest.mark.parametrize("language", ["C", "he"])
@pytest.mark.parametrize("dialog_name", DIALOGS)
def test_custom_buttons_stand_at_the_ends_of_the_bar(wrenpane, dialog_name, language, bar):
    app = wrenpane.start(*ALL_CUSTOM, "--extra-button", "--help-button", *bar, *DIALOGS[dialog_name],
                         env=language_env(language))
    dialog = app.dialog()
    # Left to right on screen; a right-to-left language mirrors the bar.
    ends = (RIGHT[::-1], LEFT[::-1]) if language == "he" else (LEFT, RIGHT)

    def in_place():
        names = dialog.button_names()
        return names if (names[:3], names[-3:]) == ends else None

    # A window going full screen lays its buttons out again.
    names = wait_until(in_place, f"buttons {ends} at the ends of the bar")
    for standard in ("_Extra", "_Help"):
        assert translated(language, standard).replace("_", "") in names[3:-3]
    dialog.key("Escape")
    assert app.finish().code == 5


# The buttons pressed in each dialog, together covering the six default
# codes.
PRESSED = {
    "msgbox": [("Save", 6), ("Later", 11)],
    "form": [("Skip", 7), ("Apply", 10)],
    "checklist": [("Draft", 8), ("Retry", 9)],
    "calendar": [("Save", 6), ("Retry", 9)],
    "inputbox": [("Later", 11), ("Skip", 7)],
}


@pytest.mark.parametrize("dialog_name", DIALOGS)
def test_custom_buttons_answer_as_extra_does(wrenpane, dialog_name):
    def press(name):
        app = wrenpane.start(*ALL_CUSTOM, "--extra-button", *DIALOGS[dialog_name])
        app.dialog().press(name)
        return app.finish()

    extra = press("Extra")
    assert extra.code == 3
    for name, code in PRESSED[dialog_name]:
        assert press(name) == (code, extra.stdout, extra.stderr), name


def test_custom_button_answers_its_mnemonic(wrenpane):
    app = wrenpane.start("--right2-button", "S_kip", *YESNO)
    app.dialog().key("alt+k")
    assert app.finish() == (10, b"", b"")


@pytest.mark.parametrize(
    "args, default, code",
    [
        (["--default-button", "left1", *ALL_CUSTOM, *MSGBOX], "Save", 6),
        (["--default-button", "extra", "--extra-button", *MSGBOX], "Extra", 3),
        (["--default-button", "left3", *ALL_CUSTOM, *CHECKLIST], "Draft", 8),
        (["--default-button", "right1", *ALL_CUSTOM, *CALENDAR], "Retry", 9),
        (["--default-button", "no", *YESNO], "No", 1),
        (["--default-button", "help", "--help-button", *YESNO], "Help", 2),
        (["--default-button", "exit", *ALL_CUSTOM, *TEXTBOX], "Exit", 0),
        # The labels and the names: "ok" and "yes" are the one button that
        # --ok-label and --yes-label both label.
        (["--default-button", "ok", *YESNO], "Yes", 0),
        (["--default-button", "ok", "--ok-label", "Go", *MSGBOX], "Go", 0),
        # With --default-no, the later of the two wins.
        (["--default-no", "--default-button", "yes", *YESNO], "Yes", 0),
        (["--default-button", "yes", "--default-no", *YESNO], "No", 1),
        (["--default-button", "right2", "--default-no", *ALL_CUSTOM, *MSGBOX], "OK", 0),
    ],
)
def test_enter_at_start_presses_the_default_button(wrenpane, args, default, code):
    app = wrenpane.start(*args)
    dialog = app.dialog()
    assert dialog.default_button() == default
    wait_until(lambda: focused(dialog) is not None and focused(dialog).name == default,
               f"focus on {default}")
    dialog.key("Return")
    assert app.finish().code == code


@pytest.mark.parametrize(
    "args, default, result",
    [
        (["--default-button", "right2", *ALL_CUSTOM, *INPUTBOX], "Apply", (10, b"", b"Ada\n")),
        (["--default-button", "cancel", *FORM], "Cancel", (1, b"", b"")),
    ],
)
def test_enter_in_a_text_field_presses_the_default_button(wrenpane, args, default, result):
    app = wrenpane.start(*args)
    dialog = app.dialog()
    assert dialog.default_button() == default
    wait_until(lambda: focused(dialog) is not None and focused(dialog).getRole() == pyatspi.ROLE_TEXT,
               "focus in the text field")
    dialog.key("Return")
    assert app.finish() == result


@pytest.mark.parametrize(
    "args, message",
    [
        (["--default-button", "bogus", *MSGBOX], "--default-button bogus: this dialog has no such button"),
        (["--default-button", "OK", *MSGBOX], "--default-button OK: this dialog has no such button"),
        # Buttons the dialog does not show.
        (["--default-button", "help", *MSGBOX], "--default-button help: this dialog has no such button"),
        (["--default-button", "cancel", *MSGBOX], "--default-button cancel: this dialog has no such button"),
        (["--default-button", "left1", "--right1-button", "R", *YESNO],
         "--default-button left1: this dialog has no such button"),
        (["--default-button", "ok", "--no-ok", *INPUTBOX], "--default-button ok: this dialog has no such button"),
        (["--default-button", "ok", "--gauge", "Copying", 0, 0, 10],
         "--default-button ok: this dialog has no such button"),
        (["--left1-exit-code", "abc", *MSGBOX], "--left1-exit-code abc is not a number"),
        (["--right3-exit-code", "", *MSGBOX], "--right3-exit-code  is not a number"),
    ],
)
def test_option_errors(wrenpane, args, message):
    assert wrenpane.run(*args) == (255, b"", f"wrenpane: {message}\n".encode())


def test_exit_code_without_its_button_is_ignored(wrenpane):
    app = wrenpane.start("--left1-exit-code", "20", "--right3-exit-code", "21", *MSGBOX)
    dialog = app.dialog()
    assert dialog.button_names() == ["OK"]
    dialog.press("OK")
    assert app.finish() == (0, b"", b"")
