"""Every dialog through a screen reader's eyes and by keyboard alone: each
input says what it asks for, focus starts where the user types or chooses
first, and real keys reach an answer and a cancel."""

import subprocess

import pytest

from harness import announced, focused, inputs, wait_until

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
    "radiolist": ["--radiolist", "One?", 0, 0, 0, "a", "A", "off", "b", "B", "on"],
    "menu": ["--menu", "Go?", 0, 0, 0, "a", "A", "b", "B"],
    "treeview": ["--treeview", "Node?", 0, 0, 0, 0, "a", "A", "off", 1, "b", "B", "off"],
    "msgbox": ["--msgbox", "Done.", 0, 0],
    "yesno": ["--yesno", "Sure?", 0, 0],
    "pause": ["--pause", "Wait", 0, 0, 60],
    "textbox": ["--textbox", "/etc/hostname", 0, 0],
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
    "datebox": ([("spin button", "Day"), ("combo box", "Month"),
                 ("spin button", "Year")], "spin button"),
    "timebox": ([("spin button", "Hours"), ("spin button", "Minutes"),
                 ("spin button", "Seconds")], "spin button"),
    "checklist": ([("tree table", "Which?")], "tree table"),
    "radiolist": ([("tree table", "One?")], "tree table"),
    "menu": ([("tree table", "Go?")], "tree table"),
    "treeview": ([("tree table", "Node?")], "tree table"),
    "msgbox": ([], "push button"),
    "yesno": ([], "push button"),
    "pause": ([("progress bar", "60")], "push button"),
    "textbox": ([("text", "/etc/hostname")], "text"),
    "gauge": ([("progress bar", "10 %")], None),
    "mixedgauge": ([("progress bar", "Success"), ("progress bar", "20 %"),
                    ("progress bar", "50 %")], None),
    "infobox": ([], None),
}


def start(wrenpane, name):
    stdin = subprocess.PIPE if name == "gauge" else None
    app = wrenpane.start(*DIALOGS[name], stdin=stdin)
    return app, app.dialog()


@pytest.mark.parametrize("name", DIALOGS)
def test_every_input_is_announced_and_focus_starts_on_the_first(wrenpane, name):
    app, dialog = start(wrenpane, name)
    found = inputs(dialog)
    unnamed = [acc.getRoleName() for acc in found if not announced(acc)]
    assert unnamed == [], f"inputs without a name or label: {unnamed}"
    # A name of its own says what a bar shows; its label what it is for.
    expected, first = ANNOUNCED[name]
    assert [(acc.getRoleName(), announced(acc)) for acc in found] == expected

    def first_focus():
        acc = focused(dialog)
        return acc is not None and acc.getRoleName() == first

    if first is not None:
        wait_until(first_focus, f"focus on a {first}")
    app.kill()
