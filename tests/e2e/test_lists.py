"""checklist, radiolist, menu and treeview: clicks, row activation, the
radio mark, default items, nesting, and the answer bytes and exit codes for
OK, EXTRA and HELP."""

import subprocess

import pyatspi
import pytest

from harness import has_state, is_checked, table_cells, wait_until, xdotool

pytestmark = pytest.mark.wayland

FRUIT = ["apple", "Red", "on", "pear", "Green", "off", "a b", "Blue", "ON"]


def list_view(dialog):
    return dialog.find(pyatspi.ROLE_TREE_TABLE)


def rows(dialog):
    return table_cells(list_view(dialog))


def click(cell, times=1):
    """Real mouse clicks in the middle of a cell."""
    extents = cell.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    xdotool("mousemove", str(extents.x + extents.width // 2),
            str(extents.y + extents.height // 2))
    xdotool("click", "--repeat", str(times), "--delay", "80", "1")


def click_toggle(row, column=0):
    """Clicks a row's check box or radio button. GTK reports the toggle
    cell of the expander column as zero pixels wide at the right end of the
    box, so the click goes just left of that point."""
    extents = row[column].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    xdotool("mousemove", str(extents.x - 10), str(extents.y + extents.height // 2))
    xdotool("click", "1")


def marks(dialog, column=0):
    return [is_checked(row[column]) for row in rows(dialog)]


def wait_marks(dialog, expected, column=0):
    wait_until(lambda: marks(dialog, column) == expected, f"marks {expected}")


def selected_names(dialog, column):
    return [row[column].name for row in rows(dialog) if has_state(row[column], pyatspi.STATE_SELECTED)]


def visible_windows(app):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(app.pid)],
                           capture_output=True, text=True, timeout=10)
    return found.stdout.split()


def test_checklist_clicks_toggle_the_boxes(wrenpane):
    app = wrenpane.start("--checklist", "Pick", 12, 40, 5, *FRUIT)
    dialog = app.dialog()
    wait_marks(dialog, [True, False, True])
    click_toggle(rows(dialog)[1])
    wait_marks(dialog, [True, True, True])
    click_toggle(rows(dialog)[2])
    wait_marks(dialog, [True, True, False])
    click_toggle(rows(dialog)[2])
    wait_marks(dialog, [True, True, True])
    dialog.press("OK")
    assert app.finish() == (0, b"", b'"apple" "pear" "a b"\n')


def test_checklist_row_activation_inverts_the_mark(wrenpane):
    app = wrenpane.start("--checklist", "Pick", 12, 40, 5, *FRUIT)
    dialog = app.dialog()
    click(rows(dialog)[1][2], times=2)
    wait_marks(dialog, [True, True, True])
    dialog.key("Down", "Return")
    wait_marks(dialog, [True, True, False])
    dialog.press("OK")
    assert app.finish() == (0, b"", b'"apple" "pear"\n')


def test_checklist_extra_with_separate_output_and_quoted(wrenpane):
    app = wrenpane.start("--extra-button", "--separate-output", "--quoted", "--stdout",
                         "--checklist", "Pick", 0, 0, 5, *FRUIT)
    app.dialog().press("Extra")
    assert app.finish() == (3, b'apple\n"a b"\n', b"")


def test_checklist_writes_checked_rows_at_every_depth(wrenpane):
    app = wrenpane.start("--item-depth", "--checklist", "Pick", 0, 0, 5,
                         0, "top", "T", "off", 1, "child", "C", "on", 2, "grand", "G", "on",
                         0, "next", "N", "on")
    dialog = app.dialog()
    # Every row shows: the nested ones are expanded.
    assert [row[1].name for row in rows(dialog)] == ["top", "child", "grand", "next"]
    dialog.press("OK")
    assert app.finish() == (0, b"", b'"child" "grand" "next"\n')


# Names that break naive shell quoting: quote characters, backslashes,
# expansions and command substitutions.
NASTY = ['a"b', "x\\", "it's", "$HOME", "`id`", "$(echo hi)", "a b\tc", "\\\"'$`", "''"]
WORST = "it's \"$(id)\" `x` \\"


def shell_words(answer: bytes) -> list[str]:
    """The words a shell gets from each line of the answer through
    eval "set -- $line"."""
    script = 'while IFS= read -r line; do eval "set -- $line"; printf "%s\\0" "$@"; done'
    done = subprocess.run(["sh", "-c", script], input=answer, capture_output=True, check=True,
                          timeout=10)
    return done.stdout.decode().split("\0")[:-1]


def checked_items(names, state="on", depth=None):
    items = []
    for name in names:
        items += [name, "desc", state] + ([] if depth is None else [depth])
    return items


@pytest.mark.parametrize(
    "args, names",
    [
        (["--checklist", "Pick", 0, 0, 5, *checked_items(NASTY)], NASTY),
        (["--single-quoted", "--checklist", "Pick", 0, 0, 5, *checked_items(NASTY)], NASTY),
        (["--quoted", "--separate-output", "--checklist", "Pick", 0, 0, 5,
          *checked_items(NASTY)], NASTY),
        (["--quoted", "--default-item", WORST, "--menu", "Pick", 0, 0, 5, "a", "A", WORST, "W"],
         [WORST]),
        (["--quoted", "--single-quoted", "--radiolist", "Pick", 0, 0, 5,
          *checked_items([WORST])], [WORST]),
        (["--quoted", "--treeview", "Pick", 0, 0, 5, *checked_items([WORST], depth=0)], [WORST]),
    ],
    ids=["checklist", "single-quoted", "separate-output", "menu", "radiolist", "treeview"],
)
def test_quoted_answers_read_back_in_a_shell(wrenpane, args, names):
    app = wrenpane.start(*args)
    app.dialog().press("OK")
    code, stdout, answer = app.finish()
    assert (code, stdout) == (0, b"")
    assert shell_words(answer) == names


def test_empty_checklist_answers_one_newline(wrenpane):
    app = wrenpane.start("--checklist", "Pick", 0, 0, 5)
    app.dialog().press("OK")
    assert app.finish() == (0, b"", b"\n")


def test_radiolist_moves_its_one_mark(wrenpane):
    app = wrenpane.start("--radiolist", "Pick", 12, 40, 5,
                         "a", "A", "on", "b", "B", "on", "c", "C", "On")
    dialog = app.dialog()
    wait_marks(dialog, [True, False, False])
    click_toggle(rows(dialog)[2])
    wait_marks(dialog, [False, False, True])
    click_toggle(rows(dialog)[2])
    wait_marks(dialog, [False, False, True])
    click(rows(dialog)[1][2], times=2)
    wait_marks(dialog, [False, True, False])
    dialog.press("OK")
    assert app.finish() == (0, b"", b"b\n")


@pytest.mark.parametrize("dialog_args", [
    ["--radiolist", "Pick", 0, 0, 5, "a", "A", "off", "b", "B", "no"],
    ["--treeview", "Pick", 0, 0, 5, "a", "A", "off", 0, "b", "B", "no", 1],
])
def test_radio_lists_without_a_mark_answer_nothing(wrenpane, dialog_args):
    app = wrenpane.start(*dialog_args)
    app.dialog().press("OK")
    assert app.finish() == (0, b"", b"")


def test_help_writes_the_selected_row_not_the_checked_one(wrenpane):
    app = wrenpane.start("--help-button", "--quoted", "--radiolist", "Pick", 0, 0, 5,
                         "a", "A", "on", "b c", "B", "off")
    dialog = app.dialog()
    click(rows(dialog)[1][2])
    wait_until(lambda: selected_names(dialog, 2) == ["B"], "row b c selected")
    dialog.press("Help")
    assert app.finish() == (2, b"", b'HELP "b c"\n')


def test_help_without_a_selected_row_writes_nothing(wrenpane):
    app = wrenpane.start("--help-button", "--menu", "Pick", 0, 0, 5)
    app.dialog().press("Help")
    assert app.finish() == (2, b"", b"")


def test_menu_answers_the_default_item(wrenpane):
    app = wrenpane.start("--default-item", "plum", "--menu", "Pick", 12, 40, 5,
                         "apple", "Red", "plum", "Purple", "pear", "Green", "plum", "Blue")
    dialog = app.dialog()
    # Of two rows with that name the later one is selected.
    assert selected_names(dialog, 1) == ["Blue"]
    dialog.press("OK")
    assert app.finish() == (0, b"", b"plum\n")


def test_toolkit_options_among_the_items_are_not_items(wrenpane):
    app = wrenpane.start("--class", "Fruit", "--menu", "Pick", 12, 40, 5, "apple", "Red",
                         "--name=fruit", "pear", "Green", "--class", "-", "-", "Blue")
    dialog = app.dialog()
    assert [[cell.name for cell in row] for row in rows(dialog)] == [
        ["apple", "Red"], ["pear", "Green"], ["-", "Blue"]]
    dialog.key("End")
    dialog.press("OK")
    assert app.finish() == (0, b"", b"-\n")


def is_in_sight(cell, view) -> bool:
    top = view.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    row = cell.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return top.y <= row.y and row.y + row.height <= top.y + top.height


def test_default_item_far_down_is_scrolled_into_sight(wrenpane):
    items = [f for n in range(300) for f in (f"item{n}", f"row {n}")]
    app = wrenpane.start("--default-item", "item250", "--menu", "Pick", 0, 0, 20, *items)
    dialog = app.dialog()
    view = list_view(dialog)
    wait_until(lambda: is_in_sight(view.queryTable().getAccessibleAt(250, 0), view),
               "row item250 in sight")
    dialog.key("Return")
    assert app.finish() == (0, b"", b"item250\n")


# Lists whose widest text is not the longest, in the columns of names and
# of descriptions, at the top level and nested. The first column is left
# out: there GTK tells screen readers a box without the expander's room.
UNEVEN_TEXTS = {
    "menu": ["--menu", "Pick", 0, 0, 0, "a", "iiiiiiiiiiii", "b", "WMWMWM", "c", "x"],
    "checklist": ["--checklist", "Pick", 0, 0, 0, "iiiiiiiiii", "WWWW", "on",
                  "MMMMM", "iiiiiiiiii", "off"],
    "wide characters": ["--checklist", "Pick", 0, 0, 0, "日本語の名前", "説明", "off",
                        "ascii name", "e\u0301\u0301\u0301", "off"],
    # Rows of several lines: each row is measured as before.
    "lines": ["--menu", "Pick", 0, 0, 0, "a", "one\ntwo lines", "bb", "WWWW"],
    "nested": ["--treeview", "Pick", 0, 0, 0, "a", "iiiiiiiiiiiiiiii", "off", 0,
               "b", "WWWWW", "off", 1, "c", "MMMMMM", "off", 2, "d", "x", "off", 0],
    # Characters drawn wider than letters: a tab reaches the next tab stop,
    # a control character is drawn as a box with its code in it.
    "tabs": ["--checklist", "Pick", 0, 0, 0, "a\tb\tc\tEND", "x", "off",
             *[text for n in range(20) for text in ("abcdefgh", "x", "off")]],
    "control characters": ["--checklist", "Pick", 0, 0, 0, "\x01" * 16 + "END", "x", "off",
                           *[text for n in range(20) for text in ("abcdefghi", "x", "off")]],
    # Capitals are not all wider than small letters.
    "narrow capitals": ["--checklist", "Pick", 0, 0, 0,
                        *[text for n in range(20) for text in ("L" * 30, "x", "off")],
                        "m" * 20 + "END", "x", "off"],
}

# A long list: only its first row, the one that is drawn widest, is read.
LONG_LIST = ["--checklist", "Pick", 0, 0, 0, "r\tb\tEND", "x", "off",
             *[text for n in range(20000) for text in (f"item{n}", f"Row {n}", "off")]]


def cells_to_read(dialog, only_first_row):
    table = list_view(dialog).queryTable()
    count = 1 if only_first_row else table.nRows
    return [[table.getAccessibleAt(r, c) for c in range(table.nColumns)] for r in range(count)]


@pytest.mark.parametrize("args, only_first_row",
                         [(args, False) for args in UNEVEN_TEXTS.values()] + [(LONG_LIST, True)],
                         ids=[*UNEVEN_TEXTS.keys(), "long list"])
def test_every_cell_shows_its_whole_text(wrenpane, args, only_first_row):
    # A column narrower than its widest text would cut it off at its edge.
    app = wrenpane.start(*args)
    dialog = app.dialog()
    texts = 0
    for row in cells_to_read(dialog, only_first_row):
        for cell in row[1:]:
            if "Text" not in pyatspi.utils.listInterfaces(cell):
                continue
            text = cell.queryText()
            if text.characterCount == 0:
                continue
            texts += 1
            box = cell.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            last = text.getCharacterExtents(text.characterCount - 1, pyatspi.DESKTOP_COORDS)
            assert last[0] + last[2] <= box.x + box.width, text.getText(0, -1)
    assert texts >= 2
    dialog.key("Escape")
    assert app.finish().code == 5


@pytest.mark.parametrize("how", ["double-click", "Return"])
def test_menu_row_activation_presses_the_default_button(wrenpane, how):
    app = wrenpane.start("--quoted", "--menu", "Pick", 12, 40, 5,
                         "apple", "Red", "a b", "Blue", "plum", "Purple")
    dialog = app.dialog()
    if how == "double-click":
        click(rows(dialog)[1][1], times=2)
    else:
        click(rows(dialog)[1][1])
        wait_until(lambda: selected_names(dialog, 1) == ["Blue"], "row a b selected")
        dialog.key("Return")
    assert app.finish() == (0, b"", b'"a b"\n')


@pytest.mark.parametrize("options, typed, answer", [
    ([], "pl", b"plum\n"),
    (["--no-names"], "Gr", b"pear\n"),
    ([], "ca", b"caf\xe9\n"),
])
def test_menu_type_ahead_finds_what_the_user_sees(wrenpane, options, typed, answer):
    app = wrenpane.start(*options, "--menu", "Pick", 12, 40, 5, "apple", "Red", "pear", "Green",
                         "plum", "Purple", b"caf\xe9", "Brown", "cab", "Black")
    dialog = app.dialog()
    click(rows(dialog)[0][0])
    dialog.type(typed)
    dialog.key("Return")
    assert app.finish() == (0, b"", answer)


def test_menu_extra_and_cancel(wrenpane):
    app = wrenpane.start("--extra-button", "--default-item", "pear", "--menu", "Pick", 0, 0, 5,
                         "apple", "Red", "pear", "Green")
    app.dialog().press("Extra")
    assert app.finish() == (3, b"", b"pear\n")
    app = wrenpane.start("--default-item", "pear", "--menu", "Pick", 0, 0, 5,
                         "apple", "Red", "pear", "Green")
    app.dialog().press("Cancel")
    assert app.finish() == (1, b"", b"")


TREE = ["A", "a", "off", 0, "B", "b", "on", 1, "C", "c", "on", 2, "D", "d", "off", 1,
        "E", "e", "off", 0]


def test_treeview_nests_and_moves_its_mark(wrenpane):
    app = wrenpane.start("--no-names", "--treeview", "Pick", 0, 0, 5, *TREE)
    dialog = app.dialog()
    view = rows(dialog)
    # Radio and description only, every row expanded, nested by depth.
    assert [[cell.name for cell in row[1:]] for row in view] == [["a"], ["b"], ["c"], ["d"], ["e"]]
    levels = [row[0].queryComponent().getExtents(pyatspi.DESKTOP_COORDS).x for row in view]
    assert levels[0] < levels[1] < levels[2]
    assert levels[3] == levels[1] and levels[4] == levels[0]
    wait_marks(dialog, [False, True, False, False, False])
    click_toggle(view[2])
    wait_marks(dialog, [False, False, True, False, False])
    click(view[3][1])
    wait_until(lambda: selected_names(dialog, 1) == ["d"], "row d selected")
    dialog.key("Return")
    wait_marks(dialog, [False, False, False, True, False])
    dialog.press("OK")
    assert app.finish() == (0, b"", b"D\n")


def test_treeview_help_names_a_nested_default_item(wrenpane):
    app = wrenpane.start("--help-button", "--default-item", "C", "--treeview", "Pick", 0, 0, 5,
                         *TREE)
    dialog = app.dialog()
    assert selected_names(dialog, 1) == ["c"]
    dialog.press("Help")
    assert app.finish() == (2, b"", b"HELP C\n")


def test_names_keep_their_bytes_and_gtk_stays_quiet(wrenpane):
    app = wrenpane.start("--stdout", "--item-bottom-desc", "--menu", "Pick", 0, 0, 5,
                         b"caf\xe9", b"d\xe9sc", "<b unclosed & raw")
    dialog = app.dialog()
    assert rows(dialog)[0][0].name == "caf\ufffd"
    # Hovering shows the bottom description as a tooltip (a second window),
    # which GTK reads as markup: this one is not, and must not be warned about.
    extents = rows(dialog)[0][1].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    for step in (4, 8):
        xdotool("mousemove", str(extents.x + step), str(extents.y + step))
    wait_until(lambda: len(visible_windows(app)) >= 2, "the tooltip")
    dialog.press("OK")
    assert app.finish() == (0, b"caf\xe9\n", b"")


@pytest.mark.parametrize("args, message", [
    (["--menu", "t", 0, 0, "--", -1, "a", "b"], b'Error: --menu unexpected arguments: "-1" "a" "b".\n'),
    (["--menu", "t", 0, 0, 5, "a", "b", "c"],
     b'Error: --menu unexpected arguments: "5" "a" "b" "c".\n'),
    (["--checklist", "t", 0, 0], b"Error: --checklist unexpected argument:.\n"),
    (["--buildlist", "t", 0, 0, 5, "a", "b"], b'Error: --buildlist unexpected arguments: "5" "a" "b".\n'),
    (["--item-prefix", "--treeview", "t", 0, 0, 1, "p", "n", "d", "on", "0", "extra"],
     b'Error: --treeview unexpected arguments: "1" "p" "n" "d" "on" "0" "extra".\n'),
])
def test_bad_list_arguments_fail_before_any_window(wrenpane, args, message):
    code, out, err = wrenpane.run(*args)
    assert (code, err) == (255, b"")
    assert out.startswith(message)
