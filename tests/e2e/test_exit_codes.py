"""The exit-code table: defaults, WRENBOX_* environment overrides (only
clean numbers count) and the exit-code options, which win over the
environment because they are parsed later."""

import pytest

pytestmark = pytest.mark.wayland

MSGBOX = ["--msgbox", "hi", 0, 0]
YESNO = ["--yesno", "sure?", 0, 0]
HELP_BOX = ["--help-button", "--msgbox", "hi", 0, 0]
EXTRA_BOX = ["--extra-button", "--msgbox", "hi", 0, 0]
CUSTOM_BOX = ["--left2-button", "S_kip", "--right1-button", "_Retry", "--msgbox", "hi", 0, 0]


@pytest.mark.parametrize(
    "env, args, action, code",
    [
        ({}, HELP_BOX, "Help", 2),
        ({}, EXTRA_BOX, "Extra", 3),
        ({"WRENBOX_CANCEL": "7"}, YESNO, "No", 7),
        ({"WRENBOX_OK": "3x"}, MSGBOX, "OK", 3),
        ({"WRENBOX_OK": " +4"}, MSGBOX, "OK", 4),
        ({"WRENBOX_OK": ""}, MSGBOX, "OK", 0),
        ({"WRENBOX_OK": "abc"}, MSGBOX, "OK", 0),
        ({"WRENBOX_OK": "99999999999999999999"}, MSGBOX, "OK", 0),
        ({"WRENBOX_HELP": "6"}, HELP_BOX, "Help", 6),
        ({"WRENBOX_EXTRA": "8"}, EXTRA_BOX, "Extra", 8),
        ({"WRENBOX_ESC": "9"}, MSGBOX, "Escape", 9),
        # ITEM_HELP is its own row: it does not move HELP.
        ({"WRENBOX_ITEM_HELP": "6"}, HELP_BOX, "Help", 2),
        ({"WRENBOX_ESC": "9"}, ["--esc-exit-code", "4", *MSGBOX], "Escape", 4),
        # A value that is not a number keeps the code as it was: a typo
        # must not turn No into Yes.
        ({}, ["--cancel-exit-code", "ten", *YESNO], "No", 1),
        ({"WRENBOX_CANCEL": "7"}, ["--cancel-exit-code", "", *YESNO], "No", 7),
        ({}, ["--cancel-exit-code", "6x", *YESNO], "No", 6),
        ({}, ["--help-exit-code", "9", *HELP_BOX], "Help", 9),
        ({}, ["--extra-exit-code", "12", *EXTRA_BOX], "Extra", 12),
        ({}, CUSTOM_BOX, "Skip", 7),
        ({"WRENBOX_LEFT2": "40"}, CUSTOM_BOX, "Skip", 40),
        ({"WRENBOX_RIGHT1": "40"}, ["--right1-exit-code", "41", *CUSTOM_BOX], "Retry", 41),
        ({}, ["--right1-exit-code=300", *CUSTOM_BOX], "Retry", 44),
        ({}, ["--ok-exit-code", "256", *MSGBOX], "OK", 0),
        ({}, ["--ok-exit-code", "-1", *MSGBOX], "OK", 255),
        ({}, ["--ok-exit-code=300", *YESNO], "Yes", 44),
    ],
)
def test_exit_code_table(wrenpane, env, args, action, code):
    app = wrenpane.start(*args, env=env)
    dialog = app.dialog()
    dialog.close_with(action)
    assert app.finish() == (code, b"", b"")


@pytest.mark.parametrize("value", ["", "abc", "99999999999999999999"])
def test_unclean_error_override_keeps_255(wrenpane, value):
    assert wrenpane.run("--bogus", env={"WRENBOX_ERROR": value}).code == 255


def test_error_override_from_environment(wrenpane):
    assert wrenpane.run("--msgbox", "hi", env={"WRENBOX_ERROR": "17"}) == (
        17, b"", b"wrenpane: expected <text> <rows> <cols>\n")
