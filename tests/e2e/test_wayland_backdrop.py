"""The backdrop on a Wayland compositor (sway, which offers the layer shell):
one background surface per output, under the dialogs and never focused, the
back title on the first output (Wayland names no monitor primary), the relay
updating it, and outputs that come and go; without the layer shell, dialogs
that look focused over full-screen backdrops.

A Wayland compositor tells no client where a surface is, so what covers an
output is read from its pixels, and which window is which from AT-SPI.
These tests run in the Wayland session only (scripts/session --wayland).
Its compositor can add outputs but not take them away again, so the file
is named to run after the others, which then keep one output."""

import os
import subprocess

import pyatspi
import pytest

from harness import (WAYLAND, WaylandMonitorServer, has_state, pixels, send_keys, swaymsg,
                     the_entry, wait_until, wayland_windows)

pytestmark = [pytest.mark.wayland,
              pytest.mark.skipif(not WAYLAND, reason="needs a Wayland session")]

FIRST_WIDTH, FIRST_HEIGHT = 1280, 800
SECOND_X, SECOND_WIDTH, SECOND_HEIGHT = FIRST_WIDTH, 1024, 768
# The title's place on its window: top left, inside the border.
TITLE_AREA = (16, 16, 200, 30)


@pytest.fixture(autouse=True)
def private_tmpdir(tmp_path, monkeypatch):
    monkeypatch.setenv("TMPDIR", str(tmp_path))


def output_names() -> set[str]:
    return {output["name"] for output in swaymsg("-t", "get_outputs") if output["active"]}


def add_output(x: int) -> None:
    before = output_names()
    swaymsg("create_output")
    (name,) = wait_until(lambda: output_names() - before, "the new output")
    swaymsg("output", name, "resolution", f"{SECOND_WIDTH}x{SECOND_HEIGHT}", "position", str(x),
            "0")


@pytest.fixture
def two_outputs():
    """The first output and a second one right of it, added at the first
    use (the compositor cannot take it away again)."""
    if len(output_names()) == 1:
        add_output(SECOND_X)
    assert len(output_names()) == 2


def backdrops(app) -> list:
    return [w for w in app.windows() if w.acc.getRole() == pyatspi.ROLE_FRAME]


def the_dialog(app):
    def find():
        shown = [w for w in app.windows() if w.acc.getRole() != pyatspi.ROLE_FRAME]
        return shown[0] if shown else None

    return wait_until(find, "the dialog")


def corner(x, y, width, height) -> tuple[int, int, int]:
    """The colour at the bottom left of an output: backdrop or wallpaper,
    never the dialog, which sits in the middle."""
    return pixels(x + 2, y + height - 3, 1, 1)[0]


def colours_in(x, y, area) -> set:
    return set(pixels(x + area[0], y + area[1], area[2], area[3]))


def test_one_backdrop_per_output_with_the_title_on_the_first(wrenpane, two_outputs):
    wallpaper = corner(0, 0, FIRST_WIDTH, FIRST_HEIGHT)
    app = wrenpane.start("--backtitle", "Setup", "--msgbox", "hi", 0, 0)
    windows = wait_until(lambda: len(found := backdrops(app)) == 2 and found, "two backdrops")
    assert sorted(w.labels() for w in windows) == [[" "], ["Setup"]]

    def both_covered():
        colours = (corner(0, 0, FIRST_WIDTH, FIRST_HEIGHT),
                   corner(SECOND_X, 0, SECOND_WIDTH, SECOND_HEIGHT))
        return colours[0] == colours[1] != wallpaper

    wait_until(both_covered, "the backdrop colour on both outputs")
    # Text on the first output's title area; only the backdrop on the second.
    assert len(colours_in(0, 0, TITLE_AREA)) > 1
    assert len(colours_in(SECOND_X, 0, TITLE_AREA)) == 1
    # The dialog keeps the keyboard: nothing in the backdrop takes it.
    the_dialog(app).key("Return")
    assert app.finish() == (0, b"", b"")


@pytest.fixture(scope="module")
def without_layer_shell(tmp_path_factory) -> dict:
    """The environment of a run that finds a layer-shell library without its
    functions, as where the compositor lacks the protocol (GNOME): the
    backdrop is then made of full-screen windows."""
    folder = tmp_path_factory.mktemp("no-layer-shell")
    subprocess.run(["cc", "-shared", "-fPIC", "-o", str(folder / "libgtk-layer-shell.so.0"),
                    "-x", "c", "/dev/null"], check=True, timeout=60)
    return {"LD_LIBRARY_PATH": str(folder)}


def test_without_the_layer_shell_the_dialog_is_drawn_active(wrenpane, without_layer_shell):
    app = wrenpane.start("--backtitle", "Setup", "--inputbox", "b", 10, 40, "typed",
                         env=without_layer_shell)
    dialog = the_dialog(app)
    full_screen = (0, 0, FIRST_WIDTH, FIRST_HEIGHT)
    wait_until(lambda: any(w[2:6] == full_screen for w in wayland_windows(app.pid)),
               "a full-screen backdrop")
    # The compositor gives the backdrop the focus all the same; keys reach
    # the dialog, which must look like it takes them.
    wait_until(dialog.is_active, "the dialog to be drawn active")
    entry = the_entry(dialog)
    wait_until(lambda: has_state(entry, pyatspi.STATE_FOCUSED), "the entry to show the focus")
    send_keys("End", "exclam", "Return")
    assert app.finish() == (0, b"", b"typed!\n")


def test_an_output_that_comes_is_covered(wrenpane, two_outputs):
    app = wrenpane.start("--backtitle", "Setup", "--msgbox", "hi", 0, 0)
    wait_until(lambda: len(backdrops(app)) == 2, "two backdrops")
    third_x = SECOND_X + SECOND_WIDTH
    add_output(third_x)
    wait_until(lambda: len(backdrops(app)) == 3, "a backdrop on the new output")
    wait_until(lambda: corner(third_x, 0, SECOND_WIDTH, SECOND_HEIGHT)
               == corner(0, 0, FIRST_WIDTH, FIRST_HEIGHT), "the new output covered")
    the_dialog(app).press("OK")
    assert app.finish() == (0, b"", b"")


def test_an_output_that_goes_is_let_go(wrenpane, tmp_path):
    # A private compositor, whose outputs can be taken away again.
    server = WaylandMonitorServer(tmp_path)
    try:
        server.set_monitors(2)
        app = wrenpane.start("--backtitle", "Setup", "--msgbox", "hi", 0, 0, env=server.env)
        wait_until(lambda: len(backdrops(app)) == 2, "two backdrops")
        server.set_monitors(1)
        wait_until(lambda: len(backdrops(app)) == 1, "one backdrop left")
        app.kill()
    finally:
        server.stop()


def test_relay_changes_the_title(wrenpane, tmp_path):
    owner = wrenpane.start("--backtitle", "Step 1", "--clear-screen")
    socket = tmp_path / f"{os.environ['WAYLAND_DISPLAY']}-wrenpane"
    wait_until(socket.exists, "the relay's socket")
    (titled,) = wait_until(
        lambda: [w for w in backdrops(owner) if w.labels() == ["Step 1"]], "the first title")
    client = wrenpane.start("--backtitle", "Step 2", "--msgbox", "hi", 0, 0)
    wait_until(lambda: titled.labels() == ["Step 2"], "the relayed title")
    dialog = the_dialog(client)
    assert backdrops(client) == [], "the client built a backdrop of its own"
    dialog.press("OK")
    assert client.finish() == (0, b"", b"")
    owner.kill()
