"""Every dialog through a screen reader's eyes and by keyboard alone: each
input says what it asks for, focus starts where the user types or chooses
first, and real keys reach an answer and a cancel."""

import subprocess

import pytest

from harness import announced, focused, inputs, wait_until

pytestmark = pytest.mark.wayland

# A field group of the form (label, y, x, init, y, x, fieldlen, maxletters).
def form_field(label, init=""):
    return [label, 1, 1, init, 1, 10, 10, 0]


DIALOGS = {
    "inputbox": ["--inputbox", "Name?", 0, 0],
    "passwordbox": ["--passwordbox", "Secret?", 0, 0],
    "rangebox": ["--rangebox", "Volume?", 0, 0, 1, 9, 3],
    "form": ["--form", "Who?", 0, 0, 0, *form_field("First"), *form_field("Last")],
    "passwordform": ["--passwordform", "Keys?", 0, 0, 0, *form_field("PIN")],
    "mixedform": ["--mixedform", "Mixed?", 0, 0, 0, *form_field("Open"), 0,
                  *form_field("Hidden"), 1],
    "calendar": ["--calendar", "When?", 0, 0, 5, 3, 2020],
    "datebox": ["--datebox", "Born?", 0, 0, 5, 3, 2020],
    "timebox": ["--timebox", "At?", 0, 0, 9, 5, 30],
    "checklist": ["--checklist", "Which?", 0, 0, 0, "a", "A", "off", "b", "B", "on"],
    "buildlist": ["--buildlist", "Which?", 0, 0, 0, "a", "A", "off", "b", "B", "on"],
    "radiolist": ["--radiolist", "One?", 0, 0, 0, "a", "A", "off", "b", "B", "on"],
    "menu": ["--menu", "Go?", 0, 0, 0, "a", "A", "b", "B"],
    "inputmenu": ["--inputmenu", "Rename?", 0, 0, 0, "a", "A", "b", "B"],
    "treeview": ["--treeview", "Node?", 0, 0, 0, "a", "A", "off", 0, "b", "B", "off", 1],
    "msgbox": ["--msgbox", "Done.", 0, 0],
    "yesno": ["--yesno", "Sure?", 0, 0],
    "pause": ["--pause", "Wait", 0, 0, 60],
    "textbox": ["--textbox", "/etc/hostname", 0, 0],
    "programbox": ["--programbox", "Log", 0, 0],
    "progressbox": ["--progressbox", 0, 0],
    "prgbox": ["--prgbox", "sleep 60", 0, 0],
    "tailbox": ["--tailbox", "/etc/hostname", 0, 0],
    "editbox": ["--editbox", "/etc/hostname", 0, 0],
    "gauge": ["--gauge", "Copying", 0, 0, 10],
    "mixedgauge": ["--mixedgauge", "All", 0, 0, "--", 50, "one", -1, "two", 20],
    "infobox": ["--infobox", "Note", 0, 0, "--sleep", 60000],
}

# Per dialog: what each input is announced as (role name, name or label), in
# window order, and the role of the widget that has focus at the start.
ANNOUNCED = {
    "inputbox": ([("text", "Name?")], "text"),
    "passwordbox": ([("password text", "Secret?"), ("check box", "Show password")],
                    "password text"),
    "rangebox": ([("slider", "Volume?")], "slider"),
    "form": ([("text", "First"), ("text", "Last")], "text"),
    "passwordform": ([("password text", "PIN")], "password text"),
    "mixedform": ([("text", "Open"), ("password text", "Hidden")], "text"),
    "calendar": ([("calendar", "When?")], "calendar"),
    "datebox": ([("spin button", "Day"), ("combo box", "Month: "),
                 ("spin button", "Year")], "spin button"),
    "timebox": ([("spin button", "Hours"), ("spin button", "Minutes"),
                 ("spin button", "Seconds")], "spin button"),
    "checklist": ([("tree table", "Which?")], "tree table"),
    "buildlist": ([("tree table", "Available items"), ("tree table", "Chosen items")],
                  "tree table"),
    "radiolist": ([("tree table", "One?")], "tree table"),
    "menu": ([("tree table", "Go?")], "tree table"),
    "inputmenu": ([("tree table", "Rename?")], "tree table"),
    "treeview": ([("tree table", "Node?")], "tree table"),
    "msgbox": ([], "push button"),
    "yesno": ([], "push button"),
    "pause": ([("progress bar", "Wait")], "push button"),
    "textbox": ([("text", "/etc/hostname")], "text"),
    "programbox": ([("text", "Log")], "text"),
    "progressbox": ([("text", "Output")], "text"),
    "prgbox": ([("text", "sleep 60")], "text"),
    "tailbox": ([("text", "/etc/hostname")], "text"),
    "editbox": ([("text", "/etc/hostname")], "text"),
    "gauge": ([("progress bar", "Copying")], None),
    "mixedgauge": ([("progress bar", "one"), ("progress bar", "two"),
                    ("progress bar", "All")], None),
    "infobox": ([], None),
}


# Month names and the first day of the week follow the locale.
ENV = {"LC_ALL": "C.UTF-8"}


def start(wrenpane, name):
    # The input of these stays open, so that only keys can end them.
    stdin = subprocess.PIPE if name in ("gauge", "programbox", "progressbox") else None
    app = wrenpane.start(*DIALOGS[name], stdin=stdin, env=ENV)
    return app, app.dialog()


@pytest.mark.parametrize("name", DIALOGS)
def test_every_input_is_announced_and_focus_starts_on_the_first(wrenpane, name):
    app, dialog = start(wrenpane, name)
    found = inputs(dialog)
    unnamed = [acc.getRoleName() for acc in found if not announced(acc)]
    assert unnamed == [], f"inputs without a name or label: {unnamed}"
    expected, first = ANNOUNCED[name]
    assert [(acc.getRoleName(), announced(acc)) for acc in found] == expected

    def first_focus():
        acc = focused(dialog)
        return acc is not None and acc.getRoleName() == first

    if first is not None:
        wait_until(first_focus, f"focus on a {first}")
    app.kill()


# Keys that answer each dialog, and the exit code and answer they give.
# Typed text is ("type", text). The gauges, the infobox and the stream
# boxes, whose OK waits for the end of their input (test_streams.py answers
# them by keys), have nothing to answer here: Escape, in the next test, is
# how the keyboard ends them.
ANSWERS = {
    "inputbox": ([("type", "ab"), "Return"], 0, b"ab\n"),
    # Tab to the check box, Space shows the password, back to the entry.
    "passwordbox": ([("type", "pw"), "Tab", "space", "shift+Tab", "Return"], 0, b"pw\n"),
    "rangebox": (["Right", "Right", "Return"], 0, b"5\n"),
    "form": ([("type", "x"), "Tab", ("type", "y"), "Return"], 0, b"x\ny\n"),
    "passwordform": ([("type", "s"), "Return"], 0, b"s\n"),
    "mixedform": ([("type", "x"), "Tab", ("type", "y"), "Return"], 0, b"x\ny\n"),
    # GTK's keyboard cursor starts before the first cell (Sunday 23
    # February); Down moves it a week on, Space chooses.
    "calendar": (["Right", "Down", "space", "Return"], 0, b"01/03/2020\n"),
    "datebox": (["Up", "Tab", "Down", "Tab", "Up", "Return"], 0, b"06/04/2021\n"),
    "timebox": (["Up", "Tab", "Down", "Tab", "Up", "Return"], 0, b"10:04:31\n"),
    # Enter on a row toggles it; Tab goes to Cancel, then to OK.
    "checklist": (["space", "Down", "space", "Tab", "Tab", "Return"], 0, b'"a"\n'),
    "radiolist": (["space", "Tab", "Tab", "Return"], 0, b"a\n"),
    # Space moves a to the chosen items; Enter presses OK.
    "buildlist": (["space", "Return"], 0, b'"a" "b"\n'),
    "menu": (["Down", "Return"], 0, b"b\n"),
    # F2 edits the row's text in place; Enter there confirms.
    "inputmenu": (["Down", "F2", ("type", "x"), "Return"], 3, b"RENAMED b x\n"),
    "treeview": (["Down", "space", "Tab", "Tab", "Return"], 0, b"b\n"),
    "msgbox": (["Return"], 0, b""),
    "yesno": (["Tab", "Return"], 1, b""),
    "pause": (["Return"], 0, b""),
    "textbox": (["Tab", "Return"], 0, b""),
    "tailbox": (["Tab", "Return"], 0, b""),
    # Tab types a tab; Ctrl+Tab goes on to Cancel, Tab to OK.
    "editbox": (["ctrl+End", "Tab", "ctrl+Tab", "Tab", "Return"], 0,
                open("/etc/hostname", "rb").read() + b"\t"),
}


def press(dialog, keys):
    for key in keys:
        if isinstance(key, tuple):
            dialog.type(key[1])
        else:
            dialog.key(key)


@pytest.mark.parametrize("name", ANSWERS)
def test_keys_alone_answer(wrenpane, name):
    keys, code, answer = ANSWERS[name]
    app, dialog = start(wrenpane, name)
    first = ANNOUNCED[name][1]
    wait_until(lambda: focused(dialog) is not None and focused(dialog).getRoleName() == first,
               f"focus on a {first}")
    press(dialog, keys)
    assert app.finish() == (code, b"", answer)


@pytest.mark.parametrize("name", DIALOGS)
def test_escape_cancels(wrenpane, name):
    app, dialog = start(wrenpane, name)
    dialog.key("Escape")
    # The infobox answers OK however it is closed.
    assert app.finish() == (0 if name == "infobox" else 5, b"", b"")
