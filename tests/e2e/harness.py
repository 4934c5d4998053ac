"""Drive the real wrenpane binary and read its windows through AT-SPI.

The tests run inside a private desktop session (scripts/session): an X server
and a window manager, or a Wayland compositor (sway) without X, with a D-Bus
session bus and the accessibility bus. GTK publishes every widget of the
program on the accessibility bus; this module finds the program's windows
there, reads buttons, labels, toggles and values, presses buttons and sends
keys with xdotool on X or wtype on Wayland. The helpers that touch the
display take the session's path themselves, so tests need not know which it
is; those that need X skip their test on Wayland.

Every wait polls a condition and gives up after a timeout (WRENPANE_TIMEOUT
seconds, 10 by default), so a hung program fails its test instead of hanging
the run.

Typical use, through the ``wrenpane`` fixture of conftest.py::

    app = wrenpane.start("--yesno", "Sure?", "0", "0")
    dialog = app.dialog()
    assert dialog.button_names() == ["No", "Yes"]
    dialog.press("No")
    assert app.finish() == (1, b"", b"")
"""

from __future__ import annotations

import gettext
import json
import os
import re
import shutil
import subprocess
import tempfile
import threading
import time
from pathlib import Path
from typing import Callable, NamedTuple

import pyatspi
import pytest
from gi.repository import GLib

REPO = Path(__file__).resolve().parents[2]
BINARY = os.environ.get("WRENPANE_BIN", str(REPO / "build" / "asan" / "wrenpane"))
TIMEOUT = float(os.environ.get("WRENPANE_TIMEOUT", "10"))
POLL_INTERVAL = 0.05

# The session's display, fixed for the whole run: a Wayland compositor
# without X (scripts/session --wayland), or else an X server.
WAYLAND = "WAYLAND_DISPLAY" in os.environ and not os.environ.get("DISPLAY")

# The build tree of the binary under test: where it is, unless it is an
# installed one, which names the tree it was built from (or one of the same
# sources).
BUILD_DIR = Path(os.environ.get("WRENPANE_BUILD_DIR", Path(BINARY).parent))

# The build writes the version numbers into this header; the tests read
# them there instead of repeating them.
VERSION_HEADER = BUILD_DIR / "generated" / "core" / "version.h"


def _version_line() -> bytes | None:
    """The line that --version and --print-version write, or None when the
    header is missing (the session fixture then stops the run)."""
    try:
        header = VERSION_HEADER.read_text()
    except FileNotFoundError:
        return None
    program, library = (re.search(rf'\b{name}\s*=\s*"([^"]*)"', header).group(1)
                        for name in ("PROGRAM_VERSION", "TERMINAL_LIBRARY_VERSION"))
    return f"Version: {program} (libwrenbox: {library})\n".encode()


VERSION_LINE = _version_line()


class Result(NamedTuple):
    """How a run ended: the exit status and everything written to
    standard output and standard error."""

    code: int
    stdout: bytes
    stderr: bytes


class WaitTimeout(AssertionError):
    """A condition did not come true in time (an AssertionError, so pytest
    reports it as a plain test failure)."""


def wait_until(condition: Callable[[], object], what: str, timeout: float = TIMEOUT):
    """Polls ``condition`` until it returns something truthy and returns that.

    Accessibility errors raised while the program is still building or
    tearing down its windows count as "not yet". Raises WaitTimeout naming
    ``what`` when the timeout passes.
    """
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = condition()
        except GLib.Error:
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise WaitTimeout(f"timed out after {timeout:g}s waiting for {what}")
        time.sleep(POLL_INTERVAL)


def base_env(env: dict | None = None) -> dict:
    """The environment of a run: ours, with a fixed UTF-8 locale (so that
    getopt's messages are the English ones), updated by ``env``. A value of
    None removes that variable."""
    result = dict(os.environ)
    result["LC_ALL"] = "C.UTF-8"
    # With any locale but "C" itself, LANGUAGE picks the catalogue.
    result.pop("LANGUAGE", None)
    # Either would keep GTK off the accessibility bus, out of our sight.
    result.pop("NO_AT_BRIDGE", None)
    result.pop("GTK_A11Y", None)
    for name, value in (env or {}).items():
        if value is None:
            result.pop(name, None)
        else:
            result[name] = value
    return result


# The message catalogues that the build compiled, which give the texts
# expected in each language.
CATALOGUES = BUILD_DIR / "locale"
# Languages with a locale of their own (scripts/install-deps makes them);
# the others run in C.UTF-8, where LANGUAGE still picks the catalogue.
LOCALES = {"de": "de_DE.UTF-8", "he": "he_IL.UTF-8"}


def language_env(language: str) -> dict:
    """The environment of a run in ``language`` ("C" for the untranslated
    program)."""
    if language == "C":
        return {"LC_ALL": "C.UTF-8"}
    return {"LC_ALL": LOCALES.get(language, "C.UTF-8"), "LANGUAGE": language}


def catalogue_text(language: str, message: str) -> str:
    """``message`` as the catalogue of ``language`` translates it."""
    if language == "C":
        return message
    return gettext.translation("wrenpane", CATALOGUES, [language]).gettext(message)


def translated(language: str, message: str) -> str:
    """``message`` as the program shows it in ``language``: its catalogue's
    translation, without the underscore that marks a mnemonic."""
    return re.sub(r"_(.)", r"\1", catalogue_text(language, message))


def mnemonic_key(language: str, message: str) -> str:
    """The key that, with Alt, presses the button labelled ``message``."""
    text = catalogue_text(language, message)
    return text[text.index("_") + 1].lower()


def needs_x(what: str) -> None:
    """Skips the calling test on Wayland, which has no equivalent of
    ``what``."""
    if WAYLAND:
        pytest.skip(f"{what} needs X")


def needs_wayland(what: str) -> None:
    """Skips the calling test on X, which has no equivalent of ``what``."""
    if not WAYLAND:
        pytest.skip(f"{what} needs Wayland")


def xdotool(*args: str) -> None:
    """Runs xdotool (keys and typing go to the focused window)."""
    needs_x("xdotool (keys, or the pointer at screen coordinates)")
    subprocess.run(["xdotool", *args], check=True, timeout=TIMEOUT)


# wtype makes a new virtual keyboard at each call, whose keymap the
# compositor hands to the program first: keys sent at once may be read with
# the old one. And the last key of a call was seen to do nothing when it
# triggers something (Return on a default button), so each call ends with a
# key that nothing binds.
def _wtype(*args: str, text: str | None = None) -> None:
    subprocess.run(["wtype", "-s", "200", *args, "-k", "F35"], input=text, text=True,
                   check=True, timeout=TIMEOUT)


def _wtype_key(key: str) -> list[str]:
    """wtype's arguments for one key in xdotool's notation ("ctrl+a")."""
    *modifiers, name = key.split("+")
    held = [{"super": "logo"}.get(m, m) for m in modifiers]
    return ([arg for m in held for arg in ("-M", m)] + ["-k", name]
            + [arg for m in reversed(held) for arg in ("-m", m)])


def send_keys(*keys: str) -> None:
    """Presses keys, named as xdotool names them ("Escape", "Return",
    "shift+Tab", "ctrl+a", ...), in the focused window."""
    if WAYLAND:
        _wtype(*(arg for key in keys for arg in _wtype_key(key)))
    else:
        xdotool("key", "--delay", "20", *keys)


def type_text(text: str) -> None:
    """Types ``text`` into the focused window."""
    if WAYLAND:
        _wtype("-d", "20", "-", text=text)  # "-": the text comes on standard input
    else:
        xdotool("type", "--delay", "20", "--", text)


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


# Characters the tests type that the keyboard map lacks. For such a
# character xdotool binds a spare key just for one press and unbinds it at
# once; a program that reads the press late (a loaded machine) then finds the
# key unbound and drops the character. They are bound for good before any
# program starts instead. Dialog.type refuses other non-ASCII characters.
TYPED_CHARACTERS = "üï€😀éß✓"


def bind_typed_characters() -> None:
    """Binds TYPED_CHARACTERS to keys that the keyboard map leaves empty,
    keeping one empty key for xdotool's own use. On Wayland there is nothing
    to do: wtype's keymap has every character it types."""
    if WAYLAND:
        return
    keymap = subprocess.run(
        ["xmodmap", "-pke"], check=True, capture_output=True, text=True, timeout=TIMEOUT
    ).stdout
    empty = [line.split()[1] for line in keymap.splitlines() if len(line.split()) == 3]
    assert len(empty) > len(TYPED_CHARACTERS), "not enough empty keys to bind typed characters"
    bindings = [
        f"keycode {code} = U{ord(char):04X}" for code, char in zip(empty[1:], TYPED_CHARACTERS)
    ]
    for binding in bindings:
        subprocess.run(["xmodmap", "-e", binding], check=True, timeout=TIMEOUT)


# --- Reading accessibles -----------------------------------------------------


def has_state(acc, state) -> bool:
    return acc.getState().contains(state)


def descendants(acc, role=None):
    """All accessibles below ``acc`` in tree order, optionally only those of
    the given pyatspi role (e.g. pyatspi.ROLE_PUSH_BUTTON)."""
    found = []

    def walk(node):
        for child in node:
            if child is None:
                continue
            if role is None or child.getRole() == role:
                found.append(child)
            walk(child)

    walk(acc)
    return found


def text_of(acc) -> str:
    """The whole text of a label, entry or other Text accessible."""
    text = acc.queryText()
    return text.getText(0, text.characterCount)


def value_of(acc) -> float:
    """The current value of a spin button, scale or progress bar."""
    return acc.queryValue().currentValue


def progress_of(acc) -> tuple[str, float]:
    """What a progress bar shows: its text (the accessible name, which the
    program keeps equal to it for screen readers) and its fraction."""
    return acc.name, value_of(acc)


def set_value(acc, value: float) -> None:
    """Sets the value of a spin button or scale and waits until it shows."""
    acc.queryValue().currentValue = value
    wait_until(lambda: value_of(acc) == value, f"value {value}")


def is_checked(acc) -> bool:
    """Whether a check box, radio button or toggle cell is checked."""
    return has_state(acc, pyatspi.STATE_CHECKED)


def position(acc) -> tuple[int, int]:
    """Screen position (x, y) of a visible accessible."""
    extents = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return extents.x, extents.y


def do_action(acc, name: str | None = None) -> None:
    """Performs the named action of ``acc`` ("click", "activate", "toggle",
    ...), or its first action when no name is given."""
    action = acc.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if name is None:
        index = 0
    elif name in names:
        index = names.index(name)
    else:
        raise AssertionError(f"{acc.getRoleName()} {acc.name!r} has no action {name!r}: {names}")
    action.doAction(index)


def set_text(acc, text: str) -> None:
    """Replaces the contents of an editable text (an entry) directly,
    without the keyboard."""
    acc.queryEditableText().setTextContents(text)


def focus(acc) -> None:
    """Gives keyboard focus to ``acc`` and waits until it has it."""
    acc.queryComponent().grabFocus()
    wait_until(lambda: has_state(acc, pyatspi.STATE_FOCUSED), f"focus on {acc.name!r}")


def table_cells(table) -> list[list]:
    """The cells of a table or tree table (a GtkTreeView), row by row.
    Cells can be read with ``.name`` and ``is_checked``. Read them again
    after a change: GTK may replace the cell objects. To change a list, use
    the keyboard (Dialog.move_to_row): GTK 3's cell actions ("toggle",
    "activate") and AT-SPI selection requests have no effect on a tree
    view."""
    t = table.queryTable()
    return [[t.getAccessibleAt(r, c) for c in range(t.nColumns)] for r in range(t.nRows)]


# --- Dialog windows ----------------------------------------------------------

# On Wayland, AT-SPI gives positions within the window only, and the
# compositor does not tell where a widget is on the screen.
POINTER_AT = "moving the pointer to a widget"


class Dialog:
    """One top-level window of the program, found through AT-SPI."""

    def __init__(self, acc):
        self.acc = acc

    @property
    def title(self) -> str:
        """The window title (the frame's accessible name)."""
        return self.acc.name

    def window_manager_title(self) -> str:
        """The title the window manager shows, read from the X window (or
        the compositor's window) once this window is active (a message
        dialog's accessible name is its message, not its title)."""
        def read():
            if not self.is_active():
                return None
            if WAYLAND:
                return _focused_window_title()
            # Between two windows (a popup over one still being mapped)
            # the X server may briefly report no active window at all.
            result = subprocess.run(["xdotool", "getactivewindow", "getwindowname"],
                                    capture_output=True, timeout=TIMEOUT)
            return result.stdout.decode() if result.returncode == 0 else None

        return wait_until(read, f"window {self.title!r} to be active").removesuffix("\n")

    def extents(self) -> tuple[int, int, int, int]:
        """Screen position and size (x, y, width, height) of the window. A
        Wayland program does not know where its windows are: there they are
        read from the compositor, once this window is the active one."""
        if WAYLAND:
            wait_until(self.is_active, f"window {self.title!r} to be active")
            return _focused_window_rect()
        e = self.acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return e.x, e.y, e.width, e.height

    def is_active(self) -> bool:
        return has_state(self.acc, pyatspi.STATE_ACTIVE)

    def find_all(self, role) -> list:
        """Every accessible of ``role`` in the window, in tree order."""
        return descendants(self.acc, role)

    def find(self, role, name: str | None = None):
        """The one accessible of ``role`` (with ``name``, if given); fails
        unless there is exactly one."""
        matches = [a for a in self.find_all(role) if name is None or a.name == name]
        assert len(matches) == 1, (
            f"expected one {role} named {name!r}, found {[a.name for a in matches]}"
        )
        return matches[0]

    def header_bar(self):
        """The header bar panel, or None for a window without one. On
        Wayland a message dialog draws its title itself, in a box above its
        content, which counts as its header bar."""
        children = [child for child in self.acc if child is not None]
        for child in children:
            if child.getRole() == pyatspi.ROLE_PANEL:
                return child
        if WAYLAND and len(children) > 1:
            return children[0]
        return None

    def header_labels(self) -> list[str]:
        """Texts of the visible labels in the header bar: the title, then
        the subtitle when there is one."""
        header = self.header_bar()
        if header is None:
            return []
        return [text_of(a) for a in descendants(header, pyatspi.ROLE_LABEL)
                if has_state(a, pyatspi.STATE_SHOWING)]

    @property
    def subtitle(self) -> str | None:
        labels = self.header_labels()
        return labels[1] if len(labels) > 1 else None

    def labels(self) -> list[str]:
        """Texts of the visible labels outside the header bar (the dialog
        text first), in tree order."""
        header = self.header_bar()
        in_header = set() if header is None else {
            a.path for a in descendants(header, pyatspi.ROLE_LABEL)
        }
        return [
            text_of(a)
            for a in self.find_all(pyatspi.ROLE_LABEL)
            if a.path not in in_header and has_state(a, pyatspi.STATE_SHOWING)
        ]

    def _title_buttons(self) -> list:
        """The window-manager buttons of the header bar (Close): they sit in
        a box of their own, while the dialog's buttons are children of the
        header bar itself."""
        header = self.header_bar()
        if header is None:
            return []
        return [b for box in header if box is not None and box.getRole() == pyatspi.ROLE_FILLER
                for b in descendants(box, pyatspi.ROLE_PUSH_BUTTON)]

    def close_button(self):
        """The header bar's visible Close button, or None."""
        shown = [b for b in self._title_buttons() if has_state(b, pyatspi.STATE_SHOWING)]
        return shown[0] if shown else None

    def buttons(self) -> list:
        """The dialog's visible push buttons (not the header bar's Close
        button), as the user sees them: left to right, then top to bottom.
        A header-bar dialog puts Cancel, No and Help at its left end and the
        other buttons at its right end, so this is not the order in which the
        program added them."""
        title_buttons = {b.path for b in self._title_buttons()}
        shown = [b for b in self.find_all(pyatspi.ROLE_PUSH_BUTTON)
                 if b.path not in title_buttons and has_state(b, pyatspi.STATE_SHOWING)]
        return sorted(shown, key=lambda b: tuple(reversed(position(b))))

    def progress_bars(self) -> list:
        """The window's progress bars, in tree order (top to bottom)."""
        return self.find_all(pyatspi.ROLE_PROGRESS_BAR)

    def button_names(self) -> list[str]:
        return [b.name for b in self.buttons()]

    def default_button(self) -> str | None:
        """Name of the button that Enter would activate, or None."""
        defaults = [b.name for b in self.buttons() if has_state(b, pyatspi.STATE_IS_DEFAULT)]
        assert len(defaults) <= 1, f"several default buttons: {defaults}"
        return defaults[0] if defaults else None

    def press(self, name: str) -> None:
        """Clicks the button called ``name`` through its accessible action."""
        do_action(self.find(pyatspi.ROLE_PUSH_BUTTON, name))

    def key(self, *keys: str) -> None:
        """Sends key presses (xdotool names: "Escape", "Return", "Tab",
        "ctrl+a", ...) once this window is the active one."""
        wait_until(self.is_active, f"window {self.title!r} to be active")
        send_keys(*keys)

    def move_to_row(self, table, row: int) -> None:
        """Puts the keyboard cursor of a list (a GtkTreeView's table) on
        ``row``, counted from 0, which also selects it in a single-selection
        list. Then ``key("space")`` toggles the row's check box and
        ``key("Return")`` activates the row."""
        focus(table)
        self.key("Home", *["Down"] * row)

    def double_click(self, acc, fx: float = 0.5, fy: float = 0.5) -> None:
        """Double-clicks the first mouse button on ``acc``, at the fractions
        ``fx`` of its width and ``fy`` of its height, once this window is
        the active one."""
        needs_x(POINTER_AT)
        wait_until(self.is_active, f"window {self.title!r} to be active")
        e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        x, y = e.x + int(e.width * fx), e.y + int(e.height * fy)
        xdotool("mousemove", str(x), str(y), "click", "--repeat", "2", "--delay", "80", "1")

    def drag(self, acc, start: tuple[float, float], end: tuple[float, float]) -> None:
        """Drags with the first mouse button across ``acc``, between points
        given as fractions of its width and height."""
        needs_x(POINTER_AT)
        wait_until(self.is_active, f"window {self.title!r} to be active")
        e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)

        def point(fractions):
            return str(e.x + int(e.width * fractions[0])), str(e.y + int(e.height * fractions[1]))

        xdotool("mousemove", *point(start), "mousedown", "1")
        xdotool("mousemove", *point(end), "mouseup", "1")

    def type(self, text: str, into=None) -> None:
        """Types ``text`` with the keyboard, into the focused widget or,
        when ``into`` is given, into that accessible after focusing it."""
        unbound = [c for c in text if not c.isascii() and c not in TYPED_CHARACTERS]
        assert not unbound, f"add {unbound} to harness.TYPED_CHARACTERS"
        wait_until(self.is_active, f"window {self.title!r} to be active")
        if into is not None:
            focus(into)
        type_text(text)


# --- Processes -----------------------------------------------------------------


class _Drain(threading.Thread):
    """Collects everything written to a pipe until it is closed."""

    def __init__(self, stream):
        super().__init__(daemon=True)
        self.stream = stream
        self.data = bytearray()

    def run(self):
        with self.stream:
            while chunk := self.stream.read1(65536):
                self.data += chunk


class App:
    """A running wrenpane process.

    Standard output and standard error are collected separately, and so is
    every extra descriptor asked for with ``fds``. ``dialog()`` waits for the
    next window; ``finish()`` waits for the exit.
    """

    def __init__(self, args, env=None, stdin=None, fds=(), closed=(), shut=(), opened=None,
                 binary=None):
        """``args``: the arguments after the program name. ``env``: changes
        to the environment (None values unset). ``stdin``: bytes to feed and
        then close, or subprocess.PIPE to write to ``self.stdin`` yourself
        (see ``send``), an open descriptor number to read from, or None
        for /dev/null. ``fds``: extra descriptor numbers (e.g. 3 for
        --output-fd 3) opened as pipes in the child. ``closed``: descriptor
        numbers (1, 2 or extra ones) that become pipes whose reader has
        already gone, so that writing to them fails with EPIPE. ``shut``:
        descriptor numbers (0, 1, 2 or others) that the program starts with
        closed, as after ``2>&-``. ``opened``: descriptor numbers mapped to
        paths that the program gets open for writing on them, as after
        ``3>/dev/full``."""
        self.args = [binary or BINARY, *map(_arg, args)]
        targets = {}
        for fd in fds:
            read_end, write_end = os.pipe()
            targets[fd] = (read_end, write_end)
        broken = {}
        for fd in closed:
            read_end, broken[fd] = os.pipe()
            os.close(read_end)

        opened = opened or {}

        def plumb():  # in the child, before exec
            for fd, path in opened.items():
                opened_fd = os.open(path, os.O_WRONLY)
                if opened_fd != fd:
                    os.dup2(opened_fd, fd)
                    os.close(opened_fd)
            for fd, (_, write_end) in targets.items():
                os.dup2(write_end, fd)
            for fd, write_end in broken.items():
                os.dup2(write_end, fd)
            for fd in shut:
                try:
                    os.close(fd)
                except OSError:
                    pass

        self.proc = subprocess.Popen(
            self.args,
            env=base_env(env),
            stdin=_stdin_for_popen(stdin),
            stdout=subprocess.PIPE,
            stderr=subprocess.PIPE,
            close_fds=False,  # our pipes are not inheritable; the dup2 copies are
            preexec_fn=plumb if targets or broken or shut or opened else None,
        )
        for write_end in [w for _, w in targets.values()] + list(broken.values()):
            os.close(write_end)
        self._drains = {1: _Drain(self.proc.stdout), 2: _Drain(self.proc.stderr)}
        for fd, (read_end, _) in targets.items():
            self._drains[fd] = _Drain(os.fdopen(read_end, "rb"))
        for drain in self._drains.values():
            drain.start()
        self.stdin = self.proc.stdin
        if isinstance(stdin, (bytes, bytearray)):
            self._feed(bytes(stdin))
        self._seen: set[str] = set()
        self._accessible = None
        self.fds: dict[int, bytes] = {}

    @property
    def pid(self) -> int:
        return self.proc.pid

    def _feed(self, data: bytes):
        def feed():
            try:
                self.stdin.write(data)
                self.stdin.close()
            except (BrokenPipeError, ValueError):
                pass

        threading.Thread(target=feed, daemon=True).start()

    def send(self, data: bytes) -> None:
        """Writes ``data`` to the program's standard input at once (the run
        was started with stdin=subprocess.PIPE); each call reaches the
        program as a separate write."""
        self.stdin.write(data)
        self.stdin.flush()

    def accessible(self):
        """The program's application object on the accessibility bus,
        matched by process id so that stray processes cannot be taken for
        it. Waits until it has registered."""

        def find():
            self._check_running()
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None and app.get_process_id() == self.pid:
                    return app
            return None

        if self._accessible is None:
            self._accessible = wait_until(find, "wrenpane on the accessibility bus")
        return self._accessible

    def windows(self) -> list[Dialog]:
        """The program's top-level windows that are currently showing."""
        return [Dialog(w) for w in self.accessible()
                if w is not None and has_state(w, pyatspi.STATE_SHOWING)]

    def dialog(self, title: str | None = None) -> Dialog:
        """Waits for the next window of the program to be showing and active
        (focused by the window manager, ready for keys) and returns it.
        Windows returned by earlier calls are skipped, so that in a chain
        each call yields the next dialog. With ``title``, only a window with
        that title counts."""

        def find():
            self._check_running()
            for window in self.windows():
                if window.acc.path in self._seen or not window.is_active():
                    continue
                # Plain frames are never dialogs: they are backdrops, or the
                # window that asks a Wayland compositor where new windows go.
                if window.acc.getRole() == pyatspi.ROLE_FRAME:
                    continue
                if title is None or window.title == title:
                    return window
            return None

        window = wait_until(find, f"an active window{f' titled {title!r}' if title else ''}")
        self._seen.add(window.acc.path)
        return window

    def _check_running(self) -> None:
        """Fails at once, with what the program said, when it has already
        exited while a test waits for one of its windows."""
        if self.proc.poll() is None:
            return
        code, stdout, stderr = self.finish()
        raise AssertionError(f"wrenpane exited with {code}; stdout {stdout!r}, stderr {stderr!r}")

    def finish(self, timeout: float = TIMEOUT) -> Result:
        """Waits for the process to exit (killing it and failing after
        ``timeout``) and returns its exit status, standard output and
        standard error. Extra descriptors land in ``self.fds``."""
        try:
            self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise WaitTimeout(f"wrenpane did not exit within {timeout:g}s: {self.args}")
        for drain in self._drains.values():
            drain.join(timeout)
        self.fds = {fd: bytes(d.data) for fd, d in self._drains.items() if fd > 2}
        return Result(self.proc.returncode, bytes(self._drains[1].data), bytes(self._drains[2].data))

    def kill(self) -> None:
        """Ends the process if it still runs (used when a test fails)."""
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def open_files(pid: int) -> list[str]:
    """What the process's open descriptors lead to (paths, or "pipe:[...]"
    and the like)."""
    names = []
    for fd in os.listdir(f"/proc/{pid}/fd"):
        try:
            names.append(os.readlink(f"/proc/{pid}/fd/{fd}"))
        except FileNotFoundError:  # closed meanwhile
            pass
    return names


def _stdin_for_popen(stdin):
    if stdin is None:
        return subprocess.DEVNULL
    if isinstance(stdin, int) and stdin >= 0:
        return stdin
    return subprocess.PIPE


def _arg(value) -> str | bytes:
    """Arguments may be str, bytes (for non-UTF-8 tests) or numbers."""
    return value if isinstance(value, (str, bytes)) else str(value)


def program_on_path(tmp_path: Path, name: str, script: str) -> str:
    """Writes an executable shell script ``name`` into a fresh directory and
    returns a PATH value with that directory first (for stand-ins of outside
    programs)."""
    bin_dir = tmp_path / "bin"
    bin_dir.mkdir(exist_ok=True)
    program = bin_dir / name
    program.write_text("#!/bin/sh\n" + script)
    program.chmod(0o755)
    return f"{bin_dir}:{os.environ.get('PATH', '/usr/bin:/bin')}"


# --- Screens, monitors and windows ---------------------------------------------
#
# A display is named as DISPLAY names an X server, or on Wayland by the path
# of a compositor's Wayland socket; None is the session's own.


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


class MonitorServer:
    """A private X server whose monitors tests set up with xrandr (Xorg's
    dummy driver, see dummy-xorg.conf: GDK makes one monitor per output, and
    Xvfb has only one). Programs reach it through ``env``; no window manager
    runs there, so windows keep the places their program gives them."""

    CONFIG = Path(__file__).with_name("dummy-xorg.conf")
    MODE = "1024x768"

    def __init__(self, work: Path):
        needs_x("an X server with several monitors")
        read_end, write_end = os.pipe()
        self.proc = subprocess.Popen(
            ["Xorg", "-displayfd", str(write_end), "-config", str(self.CONFIG),
             "-logfile", str(work / "xorg.log"), "-nolisten", "tcp", "-noreset",
             "-novtswitch", "-sharevts"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write_end)
        try:
            number = self._read_display_number(read_end)
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_end)
        self.display = f":{number}"
        self.env = {"DISPLAY": self.display}

    def _read_display_number(self, fd: int) -> str:
        import select

        text = b""
        deadline = time.monotonic() + TIMEOUT
        while not text.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            ready, _, _ = select.select([fd], [], [], max(remaining, 0))
            chunk = os.read(fd, 16) if ready else b""
            if not chunk:
                raise WaitTimeout(f"Xorg gave no display number within {TIMEOUT:g}s "
                                  f"(exit status {self.proc.poll()})")
            text += chunk
        return text.decode().strip()

    def xrandr(self, *args: str) -> None:
        subprocess.run(["xrandr", "-d", self.display, *args], check=True,
                       capture_output=True, timeout=TIMEOUT)

    def set_monitors(self, count: int, primary: int, modes: list[str] | None = None) -> None:
        """Switches on ``count`` outputs side by side, of MODE or of the
        given ``modes`` (one for each, such as "800x600"), each one a
        monitor named m0, m1, ... defined with --setmonitor, the one with
        index ``primary`` marked primary; every other output goes off."""
        modes = modes or [self.MODE] * count
        sizes = [tuple(map(int, mode.split("x"))) for mode in modes]
        lefts = [sum(width for width, _ in sizes[:i]) for i in range(count)]
        for line in subprocess.run(["xrandr", "-d", self.display, "--listmonitors"],
                                   capture_output=True, text=True, check=True,
                                   timeout=TIMEOUT).stdout.splitlines()[1:]:
            name = line.split()[1].lstrip("*")
            if not name.startswith("+"):  # "+": made by the server for an output
                self.xrandr("--delmonitor", name)
        outputs = []
        for i in range(16):
            if i < count:
                # Fails harmlessly when the output has the mode already.
                subprocess.run(["xrandr", "-d", self.display, "--addmode", f"DUMMY{i}",
                                modes[i]], capture_output=True, timeout=TIMEOUT)
                outputs += ["--output", f"DUMMY{i}", "--mode", modes[i],
                            "--pos", f"{lefts[i]}x0"]
            else:
                outputs += ["--output", f"DUMMY{i}", "--off"]
        self.xrandr(*outputs)
        # A full query probes the outputs: until then an output just switched
        # on may still count as disconnected for programs that do not probe.
        self.xrandr("--query")
        for i, (width, height) in enumerate(sizes):
            name = ("*" if i == primary else "") + f"m{i}"
            self.xrandr("--setmonitor", name, f"{width}/270x{height}/200+{lefts[i]}+0",
                        f"DUMMY{i}")

    def move_pointer(self, x: int, y: int) -> None:
        """Puts the mouse pointer at screen point (x, y)."""
        subprocess.run(["xdotool", "mousemove", str(x), str(y)], check=True, timeout=TIMEOUT,
                       env=base_env(self.env))

    def stop(self) -> None:
        _end(self.proc)


def _end(proc: subprocess.Popen) -> None:
    """Ends a server process, killing it if it does not end when asked."""
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


class WaylandMonitorServer:
    """A private Wayland compositor (sway) whose outputs tests add and
    remove: Wayland's counterpart of MonitorServer. wlroots cannot switch off
    an output of the session's headless compositor, so this one runs inside
    it, each of its outputs a window there, and closing that window unplugs
    the output. Programs reach it through ``env``; ``display`` names it for
    pixels, x_windows, wayland_windows and swaymsg. It has a keyboard, so
    that its windows become active, but Dialog.key types into the session's
    compositor, not this one."""

    MODE = "1024x768"

    def __init__(self, work: Path):
        needs_wayland("a compositor whose outputs come and go")
        # As in scripts/session, sway runs as nobody when we are root, in a
        # runtime directory of its own outside pytest's private ones.
        self.runtime = Path(tempfile.mkdtemp(prefix="wrenpane-sway-"))
        config = self.runtime / "sway.config"
        config.write_text('xwayland disable\nfor_window [title=".*"] floating enable\n'
                          f"output * resolution {self.MODE}\n")
        as_user = {}
        if os.getuid() == 0:
            for path in (self.runtime, config):
                shutil.chown(path, "nobody", "nogroup")
            as_user = {"user": "nobody", "group": "nogroup", "extra_groups": []}
        env = {"PATH": "/usr/bin:/bin", "HOME": str(self.runtime),
               "XDG_RUNTIME_DIR": str(self.runtime), "WLR_BACKENDS": "wayland",
               "WLR_LIBINPUT_NO_DEVICES": "1", "WLR_RENDERER": "pixman",
               "WAYLAND_DISPLAY": os.path.join(os.environ["XDG_RUNTIME_DIR"],
                                               os.environ["WAYLAND_DISPLAY"])}
        with open(work / "sway.log", "wb") as log:
            self.proc = subprocess.Popen(["sway", "-c", str(config)], env=env,
                                         stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                         **as_user)
        self.keyboard = None
        try:
            self._start_keyboard()
        except BaseException:
            self.stop()
            raise

    def _start_keyboard(self) -> None:
        def sockets():
            self._check_running()
            display = next(self.runtime.glob("wayland-*[0-9]"), None)
            return display if any(self.runtime.glob("sway-ipc.*.sock")) else None

        self.display = str(wait_until(sockets, "the private compositor's sockets"))
        self.env = x_display_env(self.display)
        self.keyboard = subprocess.Popen(["wtype", "-s", "2147483647"], env=base_env(self.env))
        wait_until(lambda: any(i["type"] == "keyboard"
                               for i in swaymsg("-t", "get_inputs", display=self.display)),
                   "the private compositor's keyboard")

    def _check_running(self) -> None:
        assert self.proc.poll() is None, f"sway ended with {self.proc.returncode}"

    def outputs(self) -> list[dict]:
        """The outputs as sway describes them, left to right."""
        found = [o for o in swaymsg("-t", "get_outputs", display=self.display) if o["active"]]
        return sorted(found, key=lambda o: o["rect"]["x"])

    def set_monitors(self, count: int) -> None:
        """Makes the outputs ``count`` outputs of MODE side by side, adding
        new ones at the right or unplugging the rightmost ones."""
        names = [o["name"] for o in self.outputs()]
        for name in names[count:]:
            swaymsg(f'[pid={self.proc.pid} title="^wlroots - {name}$"]', "kill")
        for _ in range(count - len(names)):
            swaymsg("create_output", display=self.display)
        wait_until(lambda: len(self.outputs()) == count, f"{count} outputs")
        width, height = map(int, self.MODE.split("x"))
        for i, output in enumerate(self.outputs()):
            swaymsg("output", output["name"], "position", str(i * width), "0",
                    display=self.display)
        expected = [{"x": i * width, "y": 0, "width": width, "height": height}
                    for i in range(count)]
        wait_until(lambda: [o["rect"] for o in self.outputs()] == expected,
                   f"{count} outputs side by side")

    def stop(self) -> None:
        if self.keyboard is not None:
            _end(self.keyboard)
        _end(self.proc)
        shutil.rmtree(self.runtime, ignore_errors=True)


def require_tools():
    """Fails early and clearly when the session tools are missing."""
    for tool in ("swaymsg", "wtype", "grim") if WAYLAND else ("xdotool", "xmodmap"):
        assert shutil.which(tool), f"{tool} is not installed (run scripts/test)"
    if WAYLAND:
        assert os.environ.get("SWAYSOCK"), "no SWAYSOCK: run the tests through scripts/session"
    else:
        assert os.environ.get("DISPLAY"), "no DISPLAY: run the tests through scripts/test"


# --- Accessibility -------------------------------------------------------------

# Roles of the widgets that hold or show a value; each must tell a screen
# reader what it is for.
VALUED_ROLES = {
    pyatspi.ROLE_TEXT, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_SPIN_BUTTON,
    pyatspi.ROLE_SLIDER, pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TREE,
    pyatspi.ROLE_CALENDAR, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_PROGRESS_BAR,
}

# Focusable parts that a screen reader announces through what they hold or
# belong to: list cells, the scrolled window around a list or text, a
# drop-down's hidden menu.
_PARTS = {pyatspi.ROLE_TABLE_CELL, pyatspi.ROLE_SCROLL_PANE, pyatspi.ROLE_MENU,
          pyatspi.ROLE_MENU_ITEM}


def related(acc, relation) -> list:
    """The targets of one of ``acc``'s relations (pyatspi.RELATION_...)."""
    return [r.getTarget(i) for r in acc.getRelationSet() if r.getRelationType() == relation
            for i in range(r.getNTargets())]


def announced(acc) -> str:
    """What a screen reader says a widget is for: the text of the labels it
    is labelled by, or else its accessible name."""
    labels = related(acc, pyatspi.RELATION_LABELLED_BY)
    return " ".join(label.name for label in labels) if labels else acc.name


def inputs(dialog) -> list:
    """The widgets of a window that a user can focus or that show a value,
    in tree order, without the buttons."""
    return [acc for acc in descendants(dialog.acc)
            if acc.getRole() not in _PARTS and acc.getRole() != pyatspi.ROLE_PUSH_BUTTON
            and (acc.getRole() in VALUED_ROLES or has_state(acc, pyatspi.STATE_FOCUSABLE))]


def focused(dialog):
    """The widget of the window that has keyboard focus, or None."""
    found = [acc for acc in descendants(dialog.acc) if has_state(acc, pyatspi.STATE_FOCUSED)]
    return found[0] if found else None


class EventLog:
    """Records the AT-SPI events of some types (such as
    "object:text-caret-moved") that one program sends, as (type, detail1)
    pairs, while it is open (a context manager). Events are delivered
    while ``wait_for`` polls."""

    def __init__(self, pid: int, *types: str):
        self.pid = pid
        self.types = types
        self.events: list[tuple[str, int]] = []

    def __enter__(self) -> EventLog:
        pyatspi.Registry.registerEventListener(self._record, *self.types)
        return self

    def __exit__(self, *exc) -> None:
        pyatspi.Registry.deregisterEventListener(self._record, *self.types)

    def _record(self, event) -> None:
        try:
            if event.source.get_process_id() != self.pid:
                return
        except GLib.Error:
            return
        self.events.append((str(event.type), event.detail1))

    def wait_for(self, event: tuple[str, int | None]) -> None:
        """Waits for an event of that type and detail1 (any detail1 for
        None)."""
        context = GLib.MainContext.default()

        def seen():
            while context.iteration(False):
                pass
            return any(kind == event[0] and event[1] in (None, detail)
                       for kind, detail in self.events)

        wait_until(seen, f"the event {event}")
