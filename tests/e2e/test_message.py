"""msgbox, yesno and infobox: buttons, their order and default, titles,
the dialog text, and how each way of closing maps to the exit code."""

import pytest


@pytest.mark.parametrize(
    "args, buttons, default",
    [
        (["--msgbox", "hi", 0, 0], ["OK"], "OK"),
        (["--cancel-label", "Stop", "--msgbox", "hi", 0, 0], ["Stop", "OK"], "OK"),
        (["--defaultno", "--cancel-label", "Stop", "--msgbox", "hi", 0, 0], ["Stop", "OK"], "Stop"),
        (["--defaultno", "--msgbox", "hi", 0, 0], ["OK"], "OK"),
        (["--yesno", "sure?", 0, 0], ["No", "Yes"], "Yes"),
        (["--defaultno", "--yesno", "sure?", 0, 0], ["No", "Yes"], "No"),
    ],
)
def test_buttons_and_default(wrenpane, args, buttons, default):
    app = wrenpane.start(*args)
    dialog = app.dialog()
    assert dialog.button_names() == buttons
    assert dialog.default_button() == default
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


@pytest.mark.parametrize(
    "args, press, code",
    [
        (["--msgbox", "hi", 0, 0], "OK", 0),
        (["--yesno", "sure?", 0, 0], "Yes", 0),
        (["--yesno", "sure?", 0, 0], "No", 1),
    ],
)
def test_pressed_button_gives_exit_code(wrenpane, args, press, code):
    app = wrenpane.start(*args)
    app.dialog().press(press)
    assert app.finish() == (code, b"", b"")
