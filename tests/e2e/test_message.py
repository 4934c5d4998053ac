"""msgbox, yesno and infobox: buttons, their order and default, titles,
the dialog text, and how each way of closing maps to the exit code."""

import pytest

from harness import do_action, wait_until


@pytest.mark.parametrize(
    "args, buttons, default",
    [
        (["--msgbox", "hi", 0, 0], ["OK"], "OK"),
        (["--cancel-label", "Stop", "--msgbox", "hi", 0, 0], ["Stop", "OK"], "OK"),
        (["--defaultno", "--cancel-label", "Stop", "--msgbox", "hi", 0, 0], ["Stop", "OK"], "Stop"),
        (["--defaultno", "--msgbox", "hi", 0, 0], ["OK"], "OK"),
        (["--yesno", "sure?", 0, 0], ["No", "Yes"], "Yes"),
        (["--defaultno", "--yesno", "sure?", 0, 0], ["No", "Yes"], "No"),
        (["--no-ok", "--msgbox", "hi", 0, 0], [], None),
        # When no button carries the default response, GTK makes the focused
        # button the default while it has the focus.
        (["--no-ok", "--extra-button", "--msgbox", "hi", 0, 0], ["Extra"], "Extra"),
        (["--no-cancel", "--cancel-label", "C", "--msgbox", "hi", 0, 0], ["OK"], "OK"),
        (["--ok-label", "Fine", "--extra-label", "More", "--extra-button", "--help-button",
          "--help-label", "Info", "--cancel-label", "Back", "--msgbox", "hi", 0, 0],
         ["Back", "Info", "Fine", "More"], "Fine"),
        # An empty label is used as it is.
        (["--ok-label", "", "--msgbox", "hi", 0, 0], [""], ""),
        # --help-label alone adds no button.
        (["--help-label", "Info", "--msgbox", "hi", 0, 0], ["OK"], "OK"),
        (["--yes-label", "Sure", "--no-label", "Nope", "--yesno", "q", 0, 0], ["Nope", "Sure"], "Sure"),
        (["--ok-label", "Sure", "--yesno", "q", 0, 0], ["No", "Sure"], "Sure"),
        (["--exit-label", "Sure", "--extra-button", "--help-button", "--yesno", "q", 0, 0],
         ["Help", "Extra", "No", "Sure"], "Sure"),
        (["--no-cancel", "--defaultno", "--yesno", "q", 0, 0], ["Yes"], "Yes"),
        (["--no-ok", "--yesno", "q", 0, 0], ["No"], "No"),
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


@pytest.mark.parametrize("dialog_option", ["--msgbox", "--yesno"])
def test_return_activates_the_default_button(wrenpane, dialog_option):
    app = wrenpane.start("--defaultno", "--cancel-label", "Stop", dialog_option, "hi", 0, 0)
    app.dialog().key("Return")
    assert app.finish() == (1, b"", b"")


@pytest.mark.parametrize(
    "args, title, subtitle",
    [
        (["--title", "Fruit", "--hline", "Pick one"], "Fruit", "Pick one"),
        (["--title", "Fruit", "--hline", ""], "Fruit", None),
        (["--hline", "Only a subtitle"], "", "Only a subtitle"),
        ([], "", None),
    ],
)
def test_title_and_subtitle(wrenpane, args, title, subtitle):
    app = wrenpane.start(*args, "--msgbox", "hi", 0, 0)
    dialog = app.dialog()
    assert (dialog.title, dialog.subtitle) == (title, subtitle)
    dialog.press("OK")
    assert app.finish() == (0, b"", b"")


@pytest.mark.parametrize(
    "options, text, shown",
    [
        ([], "a  b\tc", "a b c"),
        (["--text-unchanged"], "a  b\tc", "a  b\tc"),
        ([], "a\\nb", "a\nb"),
        ([], "a\\n\nb", "a\nb"),
        ([], "x\\ny\nz  z", "x\ny z  z"),
        (["--cr-wrap"], "x\\ny\nz", "x\ny\nz"),
        ([], "a\\tb", "a\\tb"),
        (["--tab-escape"], "a\\tb", "a\tb"),
        ([], "   lead and trail   ", " lead and trail "),
        ([], "ends in \\", "ends in \\"),
    ],
)
def test_text_is_preprocessed(wrenpane, options, text, shown):
    app = wrenpane.start(*options, "--msgbox", text, 0, 0)
    dialog = app.dialog()
    assert dialog.labels() == [shown]
    dialog.press("OK")
    assert app.finish() == (0, b"", b"")


def test_disable_esc_removes_the_close_button(wrenpane):
    app = wrenpane.start("--msgbox", "hi", 0, 0)
    dialog = app.dialog()
    wait_until(dialog.close_button, "the close button")
    dialog.press("OK")
    app.finish()

    app = wrenpane.start("--disable-esc", "--msgbox", "hi", 0, 0)
    dialog = app.dialog()
    assert dialog.close_button() is None
    dialog.press("OK")
    assert app.finish() == (0, b"", b"")


def test_close_button_gives_esc(wrenpane):
    app = wrenpane.start("--yesno", "q", 0, 0)
    dialog = app.dialog()
    do_action(wait_until(dialog.close_button, "the close button"))
    assert app.finish() == (5, b"", b"")


@pytest.mark.parametrize("begin", [["--begin-x", "-1", "--begin-y", "100"],
                                   ["--begin-y", "-1"]])
def test_begin_minus_one_is_fullscreen(wrenpane, begin):
    app = wrenpane.start(*begin, "--msgbox", "hi", 10, 20)
    dialog = app.dialog()
    wait_until(lambda: dialog.extents() == (0, 0, 1280, 800), "a fullscreen window")
    dialog.press("OK")
    assert app.finish() == (0, b"", b"")


# What the accessibility bus reports as a window's rectangle can differ by a
# few pixels from the window GTK places (borders, a hidden title area), so
# positions are compared with some slack.
SLACK = 20


def centred(extents):
    x, y, width, height = extents
    return abs(x - (1280 - width) // 2) <= SLACK and abs(y - (800 - height) // 2) <= SLACK


def near_100_50(extents):
    x, y, _, _ = extents
    return abs(x - 100) <= SLACK and abs(y - 50) <= SLACK


@pytest.mark.parametrize(
    "begin, placed",
    [
        (["--begin-x", "100", "--begin-y", "50"], near_100_50),
        # Either one 0: centred, not moved.
        (["--begin-x", "100"], centred),
        (["--begin-y", "50"], centred),
        ([], centred),
    ],
)
@pytest.mark.parametrize("dialog_option", ["--msgbox", "--infobox"])
def test_placement(wrenpane, begin, placed, dialog_option):
    app = wrenpane.start(*begin, "--sleep", "60", dialog_option, "hi", 10, 30)
    dialog = app.dialog()
    wait_until(lambda: placed(dialog.extents()), f"the window placed by {begin}")
    dialog.key("Escape")
    assert app.finish() in [(0, b"", b""), (5, b"", b"")]


# --- infobox -------------------------------------------------------------


@pytest.mark.parametrize("sleep", [[], ["--sleep", "2"]])
def test_infobox_closes_itself_with_ok(wrenpane, sleep):
    app = wrenpane.start(*sleep, "--infobox", "working...", 0, 0)
    assert app.finish() == (0, b"", b"")


@pytest.mark.parametrize("sleep, title", [(["--sleep", "60"], "Information"),
                                          (["--sleep", "60", "--title", "Busy"], "Busy")])
def test_infobox_shows_text_without_buttons_and_escape_gives_ok(wrenpane, sleep, title):
    app = wrenpane.start(*sleep, "--infobox", "working...", 0, 0)
    dialog = app.dialog()
    assert dialog.labels() == ["Information", "working..."]
    assert dialog.buttons() == []
    assert dialog.window_manager_title() == title
    dialog.key("Escape")
    assert app.finish() == (0, b"", b"")


def test_infobox_chain_goes_on_after_the_timeout(wrenpane):
    app = wrenpane.start("--infobox", "first", 0, 0,
                         "--and-dialog", "--title", "Second", "--msgbox", "second", 0, 0)
    second = app.dialog(title="Second")
    assert second.labels() == ["second"]
    second.press("OK")
    assert app.finish() == (0, b"", b"")
