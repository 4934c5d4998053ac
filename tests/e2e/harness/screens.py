"""Windows as the X server or the Wayland compositor has them, screenshots
and selections.

A display is named as DISPLAY names an X server, or on Wayland by the path
of a compositor's Wayland socket; None is the session's own."""

from __future__ import annotations

import json
import os
import re
import subprocess
from pathlib import Path
from typing import NamedTuple

from .session import TIMEOUT, WAYLAND, base_env, needs_wayland, needs_x, wait_until


def screen_size() -> tuple[int, int]:
    """Width and height of the screen in pixels (on Wayland, of the box
    around the outputs)."""
    if WAYLAND:
        rects = [o["rect"] for o in swaymsg("-t", "get_outputs") if o["active"]]
        return (max(r["x"] + r["width"] for r in rects),
                max(r["y"] + r["height"] for r in rects))
    result = subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True, check=True,
                            text=True, timeout=TIMEOUT)
    width, height = result.stdout.split()
    return int(width), int(height)


def x_display_env(display: str | None) -> dict | None:
    """Environment changes that send a program to ``display`` (None: the
    session's own)."""
    if display is None:
        return None
    if WAYLAND:
        # sway puts its message socket beside the Wayland one.
        (sway_socket,) = Path(display).parent.glob("sway-ipc.*.sock")
        return {"WAYLAND_DISPLAY": display, "SWAYSOCK": str(sway_socket)}
    return {"DISPLAY": display}


def swaymsg(*args: str, display: str | None = None):
    """Sends a message to the Wayland compositor (sway) and returns its
    answer, read from JSON."""
    needs_wayland("sway's messages")
    out = subprocess.run(["swaymsg", "--raw", *args], capture_output=True, text=True, check=True,
                         timeout=TIMEOUT, env=base_env(x_display_env(display))).stdout
    return json.loads(out)


class Window(NamedTuple):
    """A top-level window as the Wayland compositor has it: its id, its
    title, its place and size in pixels (without the shadows that a window
    draws around itself) and the name of the output it is on."""

    id: int
    title: str
    x: int
    y: int
    width: int
    height: int
    output: str


def _compositor_windows(display: str | None = None) -> list[tuple[dict, str]]:
    """The windows of the compositor's tree, each with the name of its
    output, in tree order."""
    found = []

    def walk(node, output):
        if node["type"] == "output":
            output = node["name"]
        if "pid" in node:
            found.append((node, output))
        for child in node["nodes"] + node["floating_nodes"]:
            walk(child, output)

    walk(swaymsg("-t", "get_tree", display=display), None)
    return found


def wayland_windows(pid: int, display: str | None = None) -> list[Window]:
    """The visible top-level windows of process ``pid`` on Wayland."""
    return [Window(node["id"], node["name"], *_rectangle(node), output)
            for node, output in _compositor_windows(display)
            if node["pid"] == pid and node["visible"]]


def _rectangle(node: dict) -> tuple[int, int, int, int]:
    """Position and size (x, y, width, height) of a node of sway's tree."""
    return tuple(node["rect"][k] for k in ("x", "y", "width", "height"))


def _focused_window() -> dict | None:
    """The compositor's node of the window that has the keyboard on Wayland,
    if any."""
    found = [node for node, _ in _compositor_windows() if node["focused"]]
    return found[0] if found else None


def _focused_window_title() -> str | None:
    node = _focused_window()
    return None if node is None else node["name"]


def _focused_window_rect() -> tuple[int, int, int, int]:
    return _rectangle(wait_until(_focused_window, "a focused window"))


def x_windows(pid: int, display: str | None = None) -> list[int]:
    """X ids of the visible top-level windows of process ``pid`` (on
    Wayland, the compositor's ids)."""
    if WAYLAND:
        return [window.id for window in wayland_windows(pid, display)]
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                            capture_output=True, text=True, timeout=TIMEOUT,
                            env=base_env(x_display_env(display)))
    return [int(line) for line in result.stdout.split()]


def x_geometry(window: int, display: str | None = None) -> tuple[int, int, int, int]:
    """Position and size (x, y, width, height) of an X window in device
    pixels, as the X server has it (on Wayland, of a window of x_windows, as
    the compositor has it)."""
    if WAYLAND:
        (node,) = [node for node, _ in _compositor_windows(display) if node["id"] == window]
        return _rectangle(node)
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", str(window)],
                         capture_output=True, text=True, check=True, timeout=TIMEOUT,
                         env=base_env(x_display_env(display))).stdout
    values = dict(line.split("=", 1) for line in out.split())
    return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def request_close(window: int, display: str | None = None) -> None:
    """Asks an X window to close the way a window manager does: a
    WM_DELETE_WINDOW message of the WM_PROTOCOLS protocol (on Wayland, asks
    a window of x_windows through the compositor)."""
    if WAYLAND:
        swaymsg(f"[con_id={window}]", "kill", display=display)
        return
    import ctypes

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
                    ("pad", ctypes.c_long * 24)]  # the rest of the XEvent union

    xlib = ctypes.CDLL("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                ctypes.c_void_p]
    xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    dpy = xlib.XOpenDisplay((display or os.environ["DISPLAY"]).encode())
    assert dpy, f"cannot open X display {display}"
    try:
        event = ClientMessage(type=33, window=window, format=32,  # 33: ClientMessage
                              message_type=xlib.XInternAtom(dpy, b"WM_PROTOCOLS", 0))
        event.data[0] = xlib.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
        assert xlib.XSendEvent(dpy, window, 0, 0, ctypes.byref(event))
        xlib.XSync(dpy, 0)
    finally:
        xlib.XCloseDisplay(dpy)


# Reads pixels of the root window; run in a child process, since GDK ends the
# process whose X server goes away.
_PIXELS_SCRIPT = """
import sys
import gi
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk
x, y, width, height = map(int, sys.argv[1:])
image = Gdk.pixbuf_get_from_window(Gdk.get_default_root_window(), x, y, width, height)
data, stride, step = image.get_pixels(), image.get_rowstride(), image.get_n_channels()
for row in range(height):
    for col in range(width):
        print(*data[row * stride + col * step:][:3])
"""


def _screenshot(x: int, y: int, width: int, height: int, display: str | None = None) -> bytes:
    """The red, green and blue bytes of each pixel in a rectangle of the
    outputs of a Wayland compositor, row by row."""
    ppm = subprocess.run(["grim", "-t", "ppm", "-g", f"{x},{y} {width}x{height}", "-"],
                         capture_output=True, check=True, timeout=TIMEOUT,
                         env=base_env(x_display_env(display))).stdout
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
    assert header and header.groups() == (b"%d" % width, b"%d" % height), ppm[:20]
    return ppm[header.end():]


def pixels(x: int, y: int, width: int, height: int,
           display: str | None = None) -> list[tuple[int, int, int]]:
    """The colours (red, green, blue in 0..255) shown in a rectangle of the
    screen, row by row."""
    if WAYLAND:
        data = _screenshot(x, y, width, height, display)
        return [tuple(data[i:i + 3]) for i in range(0, len(data), 3)]
    out = subprocess.run(["/usr/bin/python3", "-c", _PIXELS_SCRIPT, *map(str, (x, y, width, height))],
                         capture_output=True, text=True, check=True, timeout=TIMEOUT,
                         env=base_env(x_display_env(display))).stdout
    return [tuple(map(int, line.split())) for line in out.splitlines()]


_SCREEN_BYTES_SCRIPT = """
import sys
import gi
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk
x, y, width, height = map(int, sys.argv[1:])
image = Gdk.pixbuf_get_from_window(Gdk.get_default_root_window(), x, y, width, height)
sys.stdout.buffer.write(image.get_pixels())
"""


def screen_bytes(x: int, y: int, width: int, height: int) -> bytes:
    """The raw pixel data shown in a rectangle of the screen: quick to read
    and compare for large areas."""
    if WAYLAND:
        return _screenshot(x, y, width, height)
    return subprocess.run(["/usr/bin/python3", "-c", _SCREEN_BYTES_SCRIPT,
                           *map(str, (x, y, width, height))],
                          capture_output=True, check=True, timeout=TIMEOUT, env=base_env()).stdout


def pixel(x: int, y: int, display: str | None = None) -> tuple[int, int, int]:
    """The colour shown at screen point (x, y)."""
    return pixels(x, y, 1, 1, display)[0]


# Reads an X selection; run in a child process, so that an owner that never
# answers makes a timeout instead of a hang.
_SELECTION_SCRIPT = """
import sys
import gi
gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, Gtk
text = Gtk.Clipboard.get(Gdk.Atom.intern(sys.argv[1], False)).wait_for_text()
sys.stdout.write("" if text is None else "=" + text)
"""


def selection_text(selection: str = "CLIPBOARD") -> str | None:
    """The text offered by the owner of an X selection (CLIPBOARD or
    PRIMARY), or None when there is none."""
    # A Wayland program offers its selections only to the focused program.
    needs_x("reading a selection from outside the program")
    out = subprocess.run(["/usr/bin/python3", "-c", _SELECTION_SCRIPT, selection],
                         capture_output=True, text=True, check=True, timeout=TIMEOUT,
                         env=base_env()).stdout
    return out[1:] if out else None
