"""fselect and dselect: GTK's file chooser in the dialog's window, opened
where the path says, answering the chosen path (absolute, its own bytes,
unquoted, on a line of its own) for OK and Extra."""

import os
import re

import pyatspi
import pytest

from harness import (WAYLAND, MonitorServer, WaylandMonitorServer, announced, focused,
                     language_env, position, related, text_of, the_entry, translated, unexpected,
                     wait_until, x_geometry, x_windows)

pytestmark = pytest.mark.wayland


@pytest.fixture
def folder(tmp_path):
    (tmp_path / "alpha.txt").write_text("")
    (tmp_path / "sub").mkdir()
    return tmp_path


def name_field(dialog, shown):
    """The chooser's name field, once it shows ``shown``."""
    wait_until(lambda: text_of(the_entry(dialog)) == shown, f"name field {shown!r}")
    return the_entry(dialog)


@pytest.mark.parametrize("option", ["--fselect", "--dselect"])
def test_surplus_arguments_fail_before_any_window(wrenpane, option):
    assert wrenpane.run(option, "/tmp", 0, 0, "x", "") == (255, unexpected(option, "x", ""), b"")


@pytest.mark.parametrize("language", ["C", "de", "he"])
def test_a_file_chosen_at_the_start_is_answered_by_enter(wrenpane, folder, language):
    app = wrenpane.start("--fselect", folder / "alpha.txt", 0, 0, env=language_env(language))
    dialog = app.dialog()
    dialog.find(pyatspi.ROLE_PUSH_BUTTON, translated(language, "_OK"))
    name_field(dialog, "alpha.txt")
    dialog.key("Return")
    assert app.finish() == (0, b"", f"{folder}/alpha.txt\n".encode())


def make_entries(folder):
    os.mkfifo(folder / "fifo")
    (folder / "dangling").symlink_to(folder / "nowhere")
    (folder / b"bad\xffname".decode("utf-8", "surrogateescape")).write_text("")
    (folder / "two\nlines").write_text("")


# Where each chooser opens (the path after the folder, or an absolute one),
# the name it shows typed (None: not checked) and the path Enter answers.
STARTS = [
    ("--fselect", "", "", ""),
    ("--fselect", "alpha.txt", "alpha.txt", "alpha.txt"),
    ("--fselect", "new/deeper.txt", "new/deeper.txt", "new/deeper.txt"),
    ("--fselect", "sub/../new", "new", "new"),
    ("--fselect", "fifo", "fifo", "fifo"),
    ("--fselect", "dangling", "dangling", "dangling"),
    ("--fselect", "/dev/null", "null", "/dev/null"),
    ("--fselect", b"bad\xffname", None, b"bad\xffname"),
    ("--fselect", "two\nlines", None, "two\nlines"),
    ("--dselect", "sub/", "", "sub"),
    ("--dselect", "newdir/", "newdir", "newdir"),
    ("--dselect", "alpha.txt", "", ""),
    ("--dselect", "/", "", "/"),
]


@pytest.mark.parametrize("option, path, shown, answer", STARTS)
def test_opens_where_the_path_says_and_answers_it(wrenpane, folder, option, path, shown, answer):
    make_entries(folder)

    def under(name):
        name = os.fsencode(name)
        if name.startswith(b"/"):
            return name
        return os.fsencode(folder) + (b"/" + name if name else b"")

    app = wrenpane.start(option, under(path), 0, 0)
    dialog = app.dialog()
    if shown is not None:
        name_field(dialog, shown)
    dialog.key("Return")
    assert app.finish() == (0, b"", under(answer) + b"\n")


@pytest.mark.parametrize(
    "typed, answer",
    [
        ("{folder}/sub/typed.txt", "{folder}/sub/typed.txt"),
        ("~/not-there.txt", "{home}/not-there.txt"),
    ],
)
def test_a_typed_path_is_answered(wrenpane, folder, typed, answer):
    app = wrenpane.start("--fselect", folder, 0, 0)
    dialog = app.dialog()
    field = name_field(dialog, "")
    typed = typed.format(folder=folder)
    dialog.type(typed, into=field)
    name_field(dialog, typed)
    dialog.key("Return")
    expected = answer.format(folder=folder, home=os.path.expanduser("~"))
    assert app.finish() == (0, b"", f"{expected}\n".encode())


def test_enter_on_a_file_in_the_list_chooses_it(wrenpane, folder):
    app = wrenpane.start("--fselect", folder, 0, 0)
    dialog = app.dialog()
    name_field(dialog, "")
    # From the name field to the list; its rows are the folder, then the file.
    dialog.key("Tab", "Down", "Down", "Return")
    assert app.finish() == (0, b"", f"{folder}/alpha.txt\n".encode())


@pytest.mark.parametrize(
    "options, button, code, answered",
    [
        (["--extra-button"], "Extra", 3, True),
        (["--help-button"], "Help", 2, False),
        ([], "Cancel", 1, False),
    ],
)
def test_buttons_answer_as_in_every_dialog(wrenpane, folder, options, button, code, answered):
    app = wrenpane.start(*options, "--dselect", folder / "sub", 0, 0)
    app.dialog().press(button)
    assert app.finish() == (code, b"", f"{folder}/sub\n".encode() if answered else b"")


def test_escape_while_a_huge_folder_is_listed(wrenpane, tmp_path):
    for index in range(100_000):
        (tmp_path / f"f{index}").touch()
    app = wrenpane.start("--fselect", tmp_path, 0, 0)
    app.dialog().key("Escape")
    assert app.finish() == (5, b"", b"")


@pytest.mark.parametrize("option", ["--fselect", "--dselect"])
def test_screen_readers_hear_the_name_field_and_the_list(wrenpane, folder, option):
    # GTK's own wording: the field's label and the list's name.
    app = wrenpane.start(option, folder, 0, 0)
    dialog = app.dialog()
    field = name_field(dialog, "")
    assert announced(field) == "Name:"
    dialog.find(pyatspi.ROLE_TABLE, "Files")
    wait_until(lambda: focused(dialog) is not None and focused(dialog).name == field.name,
               "focus on the name field")
    app.kill()


def test_right_to_left_languages_mirror_the_chooser(wrenpane, folder):
    mirrored = {}
    for language in ("C", "he"):
        app = wrenpane.start("--fselect", folder, 0, 0, env=language_env(language))
        dialog = app.dialog()
        ok = dialog.find(pyatspi.ROLE_PUSH_BUTTON, translated(language, "_OK"))
        cancel = dialog.find(pyatspi.ROLE_PUSH_BUTTON, translated(language, "_Cancel"))
        field = name_field(dialog, "")
        (label,) = related(field, pyatspi.RELATION_LABELLED_BY)
        mirrored[language] = (position(ok)[0] < position(cancel)[0],
                              position(field)[0] < position(label)[0])
        dialog.key("Escape")
        assert app.finish().code == 5
    assert mirrored == {"C": (False, False), "he": (True, True)}


@pytest.mark.skipif(os.geteuid() == 0, reason="root reads every folder")
def test_an_unreadable_folder_opens_and_escape_ends(wrenpane, tmp_path):
    locked = tmp_path / "locked"
    locked.mkdir(mode=0)
    app = wrenpane.start("--dselect", locked, 0, 0)
    app.dialog().key("Escape")
    assert app.finish() == (5, b"", b"")


def test_tab_completes_a_typed_name(wrenpane, folder):
    app = wrenpane.start("--fselect", folder / "sub", 0, 0)
    dialog = app.dialog()
    field = name_field(dialog, "")
    dialog.type("../al", into=field)
    dialog.key("Tab")
    name_field(dialog, "../alpha.txt")
    dialog.key("Return")
    assert app.finish() == (0, b"", f"{folder}/alpha.txt\n".encode())


# --- The window's size ----------------------------------------------------------


@pytest.fixture(scope="module")
def small_monitor(tmp_path_factory):
    """A display of its own, X or Wayland as the session is, with one monitor
    of 1024x768: narrower than the places and the file list's columns at
    their full widths side by side."""
    work = tmp_path_factory.mktemp("display")
    server = WaylandMonitorServer(work) if WAYLAND else MonitorServer(work)
    try:
        if WAYLAND:
            server.set_monitors(1)
        else:
            server.set_monitors(1, primary=0)
        yield server
    finally:
        server.stop()


def inside(inner, outer) -> bool:
    x, y, width, height = inner
    left, top, outer_width, outer_height = outer
    return (left <= x and x + width <= left + outer_width and top <= y
            and y + height <= top + outer_height)


def size_shown(wrenpane, server, *args) -> tuple[int, int]:
    """Shows a dialog on the server's monitor, checks that the whole window
    lies on the monitor and its OK button in the window, presses OK and
    returns the window's size as --print-size tells it."""
    app = wrenpane.start("--print-size", *args, env=server.env)
    dialog = app.dialog()
    (window,) = wait_until(lambda: x_windows(app.pid, server.display), "the window")
    width, height = map(int, server.MODE.split("x"))
    geometry = x_geometry(window, server.display)
    assert inside(geometry, (0, 0, width, height)), geometry
    # Both in the window's own coordinates on Wayland, the screen's on X.
    ok = dialog.find(pyatspi.ROLE_PUSH_BUTTON, "OK").queryComponent().getExtents(
        pyatspi.DESKTOP_COORDS)
    frame = dialog.acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    assert inside((ok.x, ok.y, ok.width, ok.height),
                  (frame.x, frame.y, frame.width, frame.height)), (ok, frame)
    dialog.press("OK")
    code, _, stderr = app.finish()
    assert code == 0
    return tuple(map(int, re.search(rb"DialogSize: (\d+), (\d+)\n$", stderr).groups()))


# The chooser's rows and columns, and those of a message box of the same size:
# the largest that fits the monitor for 0 and for more than fits.
SIZES = [((0, 0), (0, 0)), ((100, 200), (0, 0)), ((15, 50), (15, 50))]


@pytest.mark.parametrize("option", ["--fselect", "--dselect"])
@pytest.mark.parametrize("size, same_as", SIZES)
def test_the_window_fits_the_monitor(wrenpane, small_monitor, folder, option, size, same_as):
    assert (size_shown(wrenpane, small_monitor, option, folder, *size)
            == size_shown(wrenpane, small_monitor, "--msgbox", "x", *same_as))
