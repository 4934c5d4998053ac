"""buildlist: two lists, the items that are off and those that are on, each
in argument order; keys, clicks and the move buttons move items between
them, and the answer is the checklist's for the items on the right."""

import pyatspi
import pytest

from harness import (has_state, language_env, mnemonic_key, needs_x, position, related,
                     table_cells, translated, wait_until)

pytestmark = pytest.mark.wayland

ITEMS = ["a", "Alpha", "on", "b", "Beta", "off", "c", "Gamma", "off", "d", "Delta", "on"]


def lists(dialog, language="C"):
    """The list of the items that are off and the list of those that are on."""
    return (dialog.find(pyatspi.ROLE_TREE_TABLE, translated(language, "Available items")),
            dialog.find(pyatspi.ROLE_TREE_TABLE, translated(language, "Chosen items")))


def names(table):
    return [row[0].name for row in table_cells(table)]


def selected(table):
    return [row[0].name for row in table_cells(table) if has_state(row[0], pyatspi.STATE_SELECTED)]


def wait_lists(dialog, off, on, language="C"):
    wait_until(lambda: [names(table) for table in lists(dialog, language)] == [off, on],
               f"lists {off} and {on}")


def wait_focus(table):
    wait_until(lambda: has_state(table, pyatspi.STATE_FOCUSED), f"focus on {table.name}")


@pytest.mark.parametrize("language", ["C", "de", "he"])
def test_keys_alone_build_the_list(wrenpane, language):
    app = wrenpane.start("--buildlist", "Pick", 12, 60, 5, *ITEMS, env=language_env(language))
    dialog = app.dialog()
    off, on = lists(dialog, language)
    wait_lists(dialog, ["b", "c"], ["a", "d"], language)
    # The lists swap sides in a right-to-left language, as the buttons do.
    mirrored = language == "he"
    assert (position(on)[0] < position(off)[0]) == mirrored
    to_on, to_off = ("Left", "Right") if mirrored else ("Right", "Left")
    wait_focus(off)

    # Space moves the item and keeps argument order in the other list.
    dialog.key("space")
    wait_lists(dialog, ["c"], ["a", "b", "d"], language)
    # The moved item is the cursor of its new list.
    dialog.key(to_on)
    wait_focus(on)
    assert selected(on) == ["b"]
    dialog.key("Down", "space")
    wait_lists(dialog, ["c", "d"], ["a", "b"], language)
    dialog.key(to_off)
    wait_focus(off)
    dialog.key("Up", "space")
    wait_lists(dialog, ["d"], ["a", "b", "c"], language)
    # Tab goes from one list straight to the other: the buttons take no focus.
    dialog.key("Tab")
    wait_focus(on)
    dialog.key("Return")
    assert app.finish() == (0, b"", b'"a" "b" "c"\n')


@pytest.mark.parametrize("language", ["C", "de"])
def test_the_move_buttons_mnemonics_move_the_selected_item(wrenpane, language):
    app = wrenpane.start("--buildlist", "Pick", 12, 60, 5, *ITEMS, env=language_env(language))
    dialog = app.dialog()
    off, on = lists(dialog, language)
    # Screen readers tell which list each button moves items from.
    for label, source in (("_Add", off), ("_Remove", on)):
        button = dialog.find(pyatspi.ROLE_PUSH_BUTTON, translated(language, label))
        assert related(button, pyatspi.RELATION_CONTROLLER_FOR) == [source]
    wait_focus(off)
    dialog.key("alt+" + mnemonic_key(language, "_Add"))
    wait_lists(dialog, ["c"], ["a", "b", "d"], language)
    dialog.key("alt+" + mnemonic_key(language, "_Remove"))
    wait_lists(dialog, ["b", "c"], ["a", "d"], language)
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


def test_double_click_and_the_buttons_move_items(wrenpane):
    app = wrenpane.start("--extra-button", "--buildlist", "Pick", 12, 60, 5, *ITEMS)
    dialog = app.dialog()
    off, on = lists(dialog)
    wait_lists(dialog, ["b", "c"], ["a", "d"])
    dialog.double_click(table_cells(off)[1][1])
    wait_lists(dialog, ["b"], ["a", "c", "d"])
    dialog.double_click(table_cells(on)[0][1])
    wait_lists(dialog, ["a", "b"], ["c", "d"])
    dialog.press("Add")  # the selected item, the one just moved
    wait_lists(dialog, ["b"], ["a", "c", "d"])
    dialog.press("Remove")
    wait_lists(dialog, ["a", "b"], ["c", "d"])
    dialog.press("Extra")
    assert app.finish() == (3, b"", b'"c" "d"\n')


# Item options and answer formats, answered with OK at once.
@pytest.mark.parametrize("options, items, answer", [
    ([], ["x", "X", "on", "y z", "Y", "off", "w v", "W", "On"], b'"x" "w v"\n'),
    (["--separate-output"], ["x", "X", "on", "w v", "W", "on"], b"x\nw v\n"),
    (["--separate-output", "--quoted"], ["x", "X", "on", "w v", "W", "on"], b'x\n"w v"\n'),
    (["--single-quoted", "--output-separator", ","], ["x", "X", "on", "w", "W", "on"],
     b"'x','w'\n"),
    (["--item-prefix", "--item-bottom-desc", "--item-depth", "--no-names"],
     ["p", "x", "X", "on", "help", "q", "y", "Y", "off", "help"], b'"x"\n'),
    ([], ["x", "X", "off"], b"\n"),
    ([], [], b"\n"),
])
def test_answers_as_the_checklist_does(wrenpane, options, items, answer):
    app = wrenpane.start(*options, "--buildlist", "Pick", 0, 0, 0, *items)
    app.dialog().press("OK")
    assert app.finish() == (0, b"", answer)


def test_default_item_starts_in_its_list_and_help_names_it(wrenpane):
    app = wrenpane.start("--help-button", "--default-item", "d", "--buildlist", "Pick", 12, 60,
                         5, *ITEMS)
    dialog = app.dialog()
    off, on = lists(dialog)
    wait_focus(on)
    assert selected(on) == ["d"]
    dialog.press("Help")
    assert app.finish() == (2, b"", b"HELP d\n")


def test_a_script_button_answers_and_the_chain_goes_on(wrenpane):
    app = wrenpane.start("--left1-button", "Draft", "--buildlist", "Pick", 0, 0, 0, *ITEMS,
                         "--and-dialog", "--buildlist", "Again", 0, 0, 0, *ITEMS)
    app.dialog().press("Draft")
    app.dialog().key("Escape")
    assert app.finish() == (5, b"", b'"a" "d"\n')


def test_typing_to_find_an_item_keeps_its_spaces_and_enter_moves_it(wrenpane):
    # On Wayland GTK's type-ahead field does not take the keyboard: Space
    # and Enter still go to the list, in every GTK list.
    needs_x("a type-ahead field that takes the keyboard")
    app = wrenpane.start("--buildlist", "Pick", 12, 60, 5, "x a", "1", "off", "x y", "2", "off",
                         "z", "3", "on")
    dialog = app.dialog()
    wait_focus(lists(dialog)[0])
    dialog.type("x y")
    dialog.key("Return")
    wait_lists(dialog, ["x a"], ["x y", "z"])
    dialog.key("Return")
    assert app.finish() == (0, b"", b'"x y" "z"\n')
