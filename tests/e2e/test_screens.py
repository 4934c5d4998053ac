"""Dialogs on every screen: full-screen dialogs, answered by their keys and
buttons like any other, and default sizes (rows and columns of 0) fitted to
the monitor the dialog shows on, which --print-maxsize reports.

The monitor tests run on private servers with two monitors, the second one
smaller: on X (harness.MonitorServer, without a window manager) a centred
dialog goes to the pointer's monitor; on Wayland (harness.WaylandMonitorServer)
the compositor puts it on the focused output."""

import pyatspi
import pytest

from harness import (WAYLAND, MonitorServer, WaylandMonitorServer, has_state, position, swaymsg,
                     wait_until, wayland_windows, x_geometry, x_windows)

FULL_SCREEN = ["--begin-x", "-1", "--begin-y", "-1"]
# The session's screen.
SCREEN_WIDTH, SCREEN_HEIGHT = 1280, 800
# The width of a character cell: GTK's default font at 96 dpi, 10 points
# from the X session's settings, 11 on Wayland without a settings service.
UNIT = (11 if WAYLAND else 10) * 96 / 72


def default_size(width: float, height: float) -> tuple[int, int]:
    """Rows and columns of a dialog of the default size on a monitor whose
    work area is width x height application pixels."""
    return int(height / UNIT * 0.5) - 9, int(width / UNIT) - 4


def maxsize_line(width: float, height: float) -> bytes:
    return b"MaxSize: %d, %d\n" % default_size(width, height)


# --- Full screen -----------------------------------------------------------------


def answer_by_return(dialog):
    dialog.key("Return")


def press(name):
    return lambda dialog: dialog.press(name)


def type_and_return(text):
    def answer(dialog):
        dialog.type(text)
        dialog.key("Return")
    return answer


@pytest.mark.wayland
@pytest.mark.parametrize(
    "args, answer, expected",
    [
        (["--yesno", "Full screen question", 0, 0], answer_by_return, (0, b"", b"")),
        (["--yesno", "Full screen question", 0, 0], press("No"), (1, b"", b"")),
        (["--defaultno", "--yesno", "Full screen question", 0, 0], answer_by_return,
         (1, b"", b"")),
        (["--msgbox", "Full screen message", 0, 0], answer_by_return, (0, b"", b"")),
        (["--msgbox", "Full screen message", 10, 40], press("OK"), (0, b"", b"")),
        (["--inputbox", "Your name", 0, 0], type_and_return("Ada"), (0, b"", b"Ada\n")),
        (["--inputbox", "Your name", 0, 0, "Grace"], press("OK"), (0, b"", b"Grace\n")),
        (["--inputbox", "Your name", 0, 0], press("Cancel"), (1, b"", b"")),
        (["--menu", "Fruit", 0, 0, 0, "apple", "Red", "pear", "Green"], answer_by_return,
         (0, b"", b"apple\n")),
        (["--extra-button", "--yesno", "Full screen question", 0, 0], press("Extra"),
         (3, b"", b"")),
    ],
)
def test_full_screen_dialogs_are_answered(wrenpane, args, answer, expected):
    app = wrenpane.start(*FULL_SCREEN, *args)
    dialog = app.dialog()
    wait_until(lambda: dialog.extents() == (0, 0, SCREEN_WIDTH, SCREEN_HEIGHT),
               "a full-screen window")
    # Every button shows, inside the screen.
    for button in dialog.buttons():
        x, y = position(button)
        assert 0 <= x < SCREEN_WIDTH and 0 <= y < SCREEN_HEIGHT, (button.name, x, y)
    answer(dialog)
    assert app.finish() == expected


@pytest.mark.wayland
@pytest.mark.parametrize("size", [[8, 30], [12, 60]])
def test_full_screen_dialog_sits_in_the_middle(wrenpane, size):
    app = wrenpane.start(*FULL_SCREEN, "--msgbox", "Full screen message", *size)
    dialog = app.dialog()
    wait_until(lambda: dialog.extents() == (0, 0, SCREEN_WIDTH, SCREEN_HEIGHT),
               "a full-screen window")
    label = next(acc for acc in dialog.find_all(pyatspi.ROLE_LABEL)
                 if acc.name == "Full screen message" and has_state(acc, pyatspi.STATE_SHOWING))
    (ok,) = dialog.buttons()

    # The text at the top left and the button at the bottom right of a block
    # in the middle of the screen, as in a window of their own (read again
    # until the layout for the full screen has settled).
    def in_the_middle():
        text = label.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        button = ok.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        right, bottom = button.x + button.width, button.y + button.height
        return (abs(text.x - (SCREEN_WIDTH - right)) <= 20
                and abs(text.y - (SCREEN_HEIGHT - bottom)) <= 20)

    wait_until(in_the_middle, "the text and the button in the middle")
    dialog.press("OK")
    assert app.finish() == (0, b"", b"")


# --- The monitor a dialog shows on ------------------------------------------------

# Two monitors, the first one primary; the pointer is on the second one.
FIRST_MODE, SECOND_MODE = "1024x768", "800x600"
SECOND_X = 1024
SECOND_WIDTH, SECOND_HEIGHT = 800, 600


@pytest.fixture(scope="module")
def monitor_server(tmp_path_factory):
    server = MonitorServer(tmp_path_factory.mktemp("xorg"))
    server.set_monitors(2, primary=0, modes=[FIRST_MODE, SECOND_MODE])
    yield server
    server.stop()


def inside(rect, area) -> bool:
    x, y, width, height = rect
    left, top, area_width, area_height = area
    return (left <= x and x + width <= left + area_width and top <= y
            and y + height <= top + area_height)


@pytest.mark.parametrize("scale", [1, 2])
@pytest.mark.parametrize("dialog, button", [(["--msgbox", "hi", 0, 0], "OK"),
                                            (["--yesno", "Really delete everything?", 0, 0],
                                             "Yes")])
def test_default_size_fits_the_pointers_monitor(wrenpane, monitor_server, scale, dialog, button):
    monitor_server.move_pointer(SECOND_X + SECOND_WIDTH // 2, SECOND_HEIGHT // 2)
    env = {**monitor_server.env, "GDK_SCALE": str(scale)}
    assert wrenpane.run("--print-maxsize", env=env) == (
        0, b"", maxsize_line(SECOND_WIDTH / scale, SECOND_HEIGHT / scale))

    app = wrenpane.start(*dialog, env=env)
    shown = app.dialog()
    (window,) = wait_until(lambda: x_windows(app.pid, monitor_server.display), "the window")
    geometry = x_geometry(window, monitor_server.display)
    assert inside(geometry, (SECOND_X, 0, SECOND_WIDTH, SECOND_HEIGHT)), geometry
    # The largest that fits: more than half the monitor's width.
    assert geometry[2] > SECOND_WIDTH / 2, geometry
    shown.press(button)
    assert app.finish() == (0, b"", b"")


def test_full_screen_goes_where_a_centred_dialog_goes(wrenpane, monitor_server):
    monitor_server.move_pointer(SECOND_X + SECOND_WIDTH // 2, SECOND_HEIGHT // 2)
    app = wrenpane.start(*FULL_SCREEN, "--msgbox", "hi", 0, 0, env=monitor_server.env)
    shown = app.dialog()
    (window,) = wait_until(lambda: x_windows(app.pid, monitor_server.display), "the window")
    geometry = x_geometry(window, monitor_server.display)
    assert inside(geometry, (SECOND_X, 0, SECOND_WIDTH, SECOND_HEIGHT)), geometry
    shown.press("OK")
    assert app.finish() == (0, b"", b"")


# On Wayland: a second output at scale 2, focused, so that new windows go
# there.
@pytest.fixture(scope="module")
def wayland_server(tmp_path_factory):
    if not WAYLAND:
        pytest.skip("needs a Wayland session")
    server = WaylandMonitorServer(tmp_path_factory.mktemp("sway"))
    try:
        server.set_monitors(2)
        second = server.outputs()[1]["name"]
        swaymsg("output", second, "scale", "2", display=server.display)
        swaymsg("focus", "output", second, display=server.display)
        wait_until(lambda: server.outputs()[1]["rect"]["width"] == 512, "the output at scale 2")
        yield server
    finally:
        server.stop()


def second_output(server) -> tuple[str, tuple[int, int, int, int]]:
    output = server.outputs()[1]
    rect = output["rect"]
    return output["name"], (rect["x"], rect["y"], rect["width"], rect["height"])


@pytest.mark.wayland
@pytest.mark.parametrize("dialog, button", [
    (["--msgbox", "hi", 0, 0], "OK"),
    (["--yesno", "Really delete everything?", 0, 0], "Yes"),
    ([*FULL_SCREEN, "--yesno", "Really delete everything?", 0, 0], "Yes"),
])
def test_default_size_fits_the_focused_output(wrenpane, wayland_server, dialog, button):
    name, area = second_output(wayland_server)
    assert wrenpane.run("--print-maxsize", env=wayland_server.env) == (
        0, b"", maxsize_line(area[2], area[3]))

    app = wrenpane.start(*dialog, env=wayland_server.env)
    shown = app.dialog()
    (window,) = wait_until(lambda: wayland_windows(app.pid, wayland_server.display),
                           "the window")
    assert window.output == name
    geometry = (window.x, window.y, window.width, window.height)
    assert inside(geometry, area), geometry
    assert window.width > area[2] / 2, geometry
    shown.press(button)
    assert app.finish() == (0, b"", b"")
