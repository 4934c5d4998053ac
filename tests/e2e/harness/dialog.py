"""One top-level window of the program, found through AT-SPI: what it
shows, and pressing its buttons, keys and the pointer."""

from __future__ import annotations

import subprocess

import pyatspi

from .accessibles import descendants, do_action, focus, has_state, position, text_of
from .keys import TYPED_CHARACTERS, send_keys, type_text, xdotool
from .screens import _focused_window_rect, _focused_window_title
from .session import TIMEOUT, WAYLAND, needs_x, wait_until


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

    def close_with(self, action: str) -> None:
        """Presses the button called ``action``, or the Escape key when
        ``action`` is "Escape"."""
        if action == "Escape":
            self.key("Escape")
        else:
            self.press(action)

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
