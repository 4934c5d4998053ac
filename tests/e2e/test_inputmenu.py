"""--inputmenu: the menu with a Rename button. OK answers the selected tag;
Rename, F2 or a double click on an item text edits that text in place, and
Enter there ends the dialog with the Extra code and a RENAMED answer, while
Escape drops only the edit. In C, German and Hebrew, by keys alone."""

import subprocess

import pyatspi
import pytest

from harness import (EventLog, focused, has_state, language_env, mnemonic_key, position,
                     translated, wait_until, xdotool)

pytestmark = pytest.mark.wayland

ITEMS = ["a", "Alpha", "b c", "Beta", "d", "Delta"]


def start(wrenpane, *options, items=ITEMS, env=None):
    app = wrenpane.start(*options, "--inputmenu", "Pick", 0, 0, 5, *items, env=env)
    return app, app.dialog()


def rows(dialog):
    table = dialog.find(pyatspi.ROLE_TREE_TABLE).queryTable()
    return [[table.getAccessibleAt(r, c) for c in range(table.nColumns)]
            for r in range(table.nRows)]


def texts(dialog):
    return [[cell.name for cell in row] for row in rows(dialog)]


def open_editor(app, dialog, keys, language="C"):
    """Presses keys (or calls them) and returns the in-place editor, once it
    has the focus. The list does not count it among its children: it is
    found as screen readers find it, by its focus event."""
    name = translated(language, "New item text")
    with EventLog(app.pid, "object:state-changed:focused") as log:
        keys() if callable(keys) else dialog.key(*keys)
        return log.wait_for_source(
            ("object:state-changed:focused", 1),
            lambda source: source.getRole() == pyatspi.ROLE_TEXT and source.name == name)


def editing_stopped(dialog):
    wait_until(lambda: focused(dialog) is not None
               and focused(dialog).getRole() == pyatspi.ROLE_TREE_TABLE, "the edit to end")


def select_row(dialog, row):
    dialog.move_to_row(dialog.find(pyatspi.ROLE_TREE_TABLE), row)
    wait_until(lambda: has_state(rows(dialog)[row][-1], pyatspi.STATE_SELECTED), f"row {row}")


WAYS_TO_RENAME = {
    "F2": lambda dialog: dialog.key("F2"),
    "Rename": lambda dialog: dialog.press("Rename"),
    "mnemonic": lambda dialog: dialog.key("alt+r"),
    "double-click": lambda dialog: dialog.double_click(rows(dialog)[1][1]),
}


@pytest.mark.parametrize("how", WAYS_TO_RENAME)
def test_each_way_of_renaming_answers_the_new_text(wrenpane, how):
    app, dialog = start(wrenpane)
    select_row(dialog, 1)
    # The text is selected: typing replaces it.
    open_editor(app, dialog, lambda: WAYS_TO_RENAME[how](dialog))
    dialog.type("new text")
    dialog.key("Return")
    assert app.finish() == (3, b"", b"RENAMED b c new text\n")


@pytest.mark.parametrize("options, keys, answer", [
    # Confirmed as it was: the item's own bytes, even those shown repaired.
    ([], [], b"RENAMED b c Beta\n"),
    ([], ["BackSpace"], b"RENAMED b c \n"),
    (["--quoted"], ["End", ("type", " it's")], b"RENAMED \"b c\" \"Beta it's\"\n"),
    (["--quoted", "--single-quoted"], ["BackSpace"], b"RENAMED 'b c' ''\n"),
    (["--max-input", "6"], ["End", ("type", "123")], b"RENAMED b c Beta12\n"),
])
def test_rename_answers(wrenpane, options, keys, answer):
    app, dialog = start(wrenpane, *options)
    select_row(dialog, 1)
    open_editor(app, dialog, ["F2"])
    for key in keys:
        if isinstance(key, tuple):
            dialog.type(key[1])
        else:
            dialog.key(key)
    dialog.key("Return")
    assert app.finish() == (3, b"", answer)


def test_a_text_that_is_not_utf8_comes_back_byte_for_byte(wrenpane):
    app, dialog = start(wrenpane, items=["t", b"caf\xe9"])
    assert texts(dialog) == [["t", "caf\ufffd"]]
    select_row(dialog, 0)
    open_editor(app, dialog, ["F2"])
    dialog.key("Return")
    assert app.finish() == (3, b"", b"RENAMED t caf\xe9\n")


def click(cell):
    e = cell.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    xdotool("mousemove", str(e.x + e.width // 2), str(e.y + e.height // 2), "click", "1")


# Ways out of an edit other than Enter, and the tag that Enter answers then.
LEAVING = {
    "Escape": (lambda dialog: dialog.key("Escape"), b"d\n"),
    "a click on another row": (lambda dialog: click(rows(dialog)[0][0]), b"a\n"),
}


@pytest.mark.parametrize("leave", LEAVING)
def test_leaving_an_edit_but_by_enter_drops_only_the_edit(wrenpane, leave):
    app, dialog = start(wrenpane)
    select_row(dialog, 2)
    open_editor(app, dialog, ["F2"])
    dialog.type("zzz")
    how, tag = LEAVING[leave]
    how(dialog)
    editing_stopped(dialog)
    assert texts(dialog)[2] == ["d", "Delta"]
    # Enter on the row is the menu's again: it presses OK.
    dialog.key("Return")
    assert app.finish() == (0, b"", tag)


def test_an_edit_survives_another_window_taking_the_focus(wrenpane):
    app, dialog = start(wrenpane)
    select_row(dialog, 0)
    open_editor(app, dialog, ["F2"])
    other = wrenpane.start("--msgbox", "Elsewhere", 0, 0)
    other.dialog().press("OK")
    assert other.finish().code == 0
    dialog.type("x")  # once the window is active again
    dialog.key("Return")
    assert app.finish() == (3, b"", b"RENAMED a x\n")


@pytest.mark.parametrize("options, code", [
    ([], 0),
    # The default button is Rename, so Enter on a row renames it.
    (["--default-button", "extra"], 3),
])
def test_ok_answers_the_selected_tag_as_the_menu_does(wrenpane, options, code):
    app, dialog = start(wrenpane, "--quoted", *options)
    select_row(dialog, 1)
    if code == 3:
        open_editor(app, dialog, ["Return"])
        dialog.key("Return")
        assert app.finish() == (3, b"", b'RENAMED "b c" Beta\n')
    else:
        dialog.key("Return")
        assert app.finish() == (0, b"", b'"b c"\n')


def test_a_double_click_on_a_tag_presses_ok(wrenpane):
    app, dialog = start(wrenpane)
    dialog.double_click(rows(dialog)[2][0])
    assert app.finish() == (0, b"", b"d\n")


def test_rename_without_a_selected_row_does_nothing(wrenpane):
    app, dialog = start(wrenpane, items=[])
    dialog.press("Rename")
    dialog.press("OK")
    assert app.finish() == (0, b"", b"")


def test_label_exit_code_help_and_chain(wrenpane):
    app = wrenpane.start("--extra-label", "_Edit", "--extra-exit-code", "7", "--help-button",
                         "--default-item", "d", "--inputmenu", "Pick", 0, 0, 5, *ITEMS,
                         "--and-dialog", "--msgbox", "next", 0, 0)
    dialog = app.dialog()
    assert dialog.button_names() == ["Cancel", "Help", "OK", "Edit"]
    open_editor(app, dialog, lambda: dialog.press("Edit"))
    dialog.type("x")
    dialog.key("Return")
    # The chain goes on after a rename, as after Extra.
    following = app.dialog()
    assert following.labels() == ["next"]
    following.press("OK")
    assert app.finish() == (0, b"", b"RENAMED d x\n")
    app, dialog = start(wrenpane, "--help-button", "--default-item", "b c")
    dialog.press("Help")
    assert app.finish() == (2, b"", b"HELP b c\n")


def test_timeout_during_an_edit_ends_without_an_answer(wrenpane):
    app, dialog = start(wrenpane, "--timeout", "6")
    select_row(dialog, 0)
    open_editor(app, dialog, ["F2"])
    dialog.type("half")
    assert app.finish() == (4, b"", b"")


@pytest.mark.parametrize("options, shown", [
    (["--no-tags"], [["Alpha"], ["Beta"], ["Delta"]]),
    # The item texts are what the dialog edits: they stay.
    (["--no-items"], [["a", "Alpha"], ["b c", "Beta"], ["d", "Delta"]]),
])
def test_item_options(wrenpane, options, shown):
    app, dialog = start(wrenpane, *options)
    assert texts(dialog) == shown
    select_row(dialog, 0)
    open_editor(app, dialog, ["F2"])
    dialog.type("z")
    dialog.key("Return")
    assert app.finish() == (3, b"", b"RENAMED a z\n")


@pytest.mark.parametrize("language", ["C", "de", "he"])
def test_keys_alone_in_each_language(wrenpane, language):
    env = language_env(language)
    app, dialog = start(wrenpane, env=env)
    rename = translated(language, "_Rename")
    names = dialog.button_names()
    assert rename in names
    # Right to left, the item texts stand left of their tags, and Rename
    # left of OK.
    mirrored = language == "he"
    tag, item = rows(dialog)[0]
    assert (position(item)[0] < position(tag)[0]) == mirrored
    ok = translated(language, "_OK")
    assert (names.index(rename) < names.index(ok)) == mirrored
    select_row(dialog, 2)
    # Hebrew letters are not on the test keyboard: F2 there.
    key = "F2" if language == "he" else "alt+" + mnemonic_key(language, "_Rename")
    open_editor(app, dialog, [key], language)
    dialog.type("Grüße")
    dialog.key("Return")
    assert app.finish() == (3, b"", "RENAMED d Grüße\n".encode())
    app, dialog = start(wrenpane, env=env)
    select_row(dialog, 1)
    dialog.key("Return")
    assert app.finish() == (0, b"", b"b c\n")


@pytest.mark.parametrize("args, message", [
    (["--inputmenu", "t", 0, 0, 5, "a", "b", "c"],
     b'Error: --inputmenu unexpected arguments: "5" "a" "b" "c".\n'),
    (["--inputmenu", "t", 0, 0], b"Error: --inputmenu unexpected argument:.\n"),
])
def test_bad_arguments_fail_before_any_window(wrenpane, args, message):
    code, out, err = wrenpane.run(*args)
    assert (code, err) == (255, b"")
    assert out.startswith(message)


def latin1_locale_is_installed() -> bool:
    names = subprocess.run(["locale", "-a"], capture_output=True, text=True, check=True).stdout
    return "de_DE.iso88591" in names.split()


def test_answer_in_a_latin1_locale(wrenpane):
    if not latin1_locale_is_installed():
        pytest.skip("de_DE.ISO-8859-1 is not generated (scripts/install-deps makes it)")
    app, dialog = start(wrenpane, items=["t", "Gr\xf6\xdfe".encode("latin-1")],
                        env={"LC_ALL": "de_DE.ISO-8859-1", "LANGUAGE": "de"})
    assert texts(dialog) == [["t", "Größe"]]
    select_row(dialog, 0)
    open_editor(app, dialog, ["F2"], "de")
    dialog.key("End")
    dialog.type("ü")
    dialog.key("Return")
    assert app.finish() == (3, b"", "RENAMED t Größeü\n".encode("latin-1"))
