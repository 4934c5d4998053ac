"""Reading accessibles on the AT-SPI bus: states, texts, values, actions,
tables, what a screen reader announces, and events."""

from __future__ import annotations

import pyatspi
from gi.repository import GLib

from .session import wait_until


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
    pairs, and their sources, while it is open (a context manager). Events
    are delivered while ``wait_for`` or ``wait_for_source`` polls."""

    def __init__(self, pid: int, *types: str):
        self.pid = pid
        self.types = types
        self.events: list[tuple[str, int]] = []
        self.sources: list = []  # the source of each event, in step with events

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
        self.sources.append(event.source)

    def wait_for(self, event: tuple[str, int | None]) -> None:
        """Waits for an event of that type and detail1 (any detail1 for
        None)."""
        self.wait_for_source(event)

    def wait_for_source(self, event: tuple[str, int | None], matches=lambda source: True):
        """Waits for an event of that type and detail1 (any detail1 for
        None) whose source ``matches``, and returns the source. A widget
        that its parent does not list among its children (the editor of a
        list cell) is reached this way, as screen readers reach it."""
        context = GLib.MainContext.default()

        def seen():
            while context.iteration(False):
                pass
            # In a tuple: an accessible without children counts as false.
            return next(((source,) for (kind, detail), source in zip(self.events, self.sources)
                         if kind == event[0] and event[1] in (None, detail) and matches(source)),
                        None)

        return wait_until(seen, f"the event {event}")[0]


# --- Text fields -------------------------------------------------------------

ENTRY_ROLES = (pyatspi.ROLE_TEXT, pyatspi.ROLE_PASSWORD_TEXT)


def entries(dialog):
    """The showing entries of a dialog, top to bottom; a hidden entry has
    the password-text role."""
    found = [a for a in dialog.find_all(None) if a.getRole() in ENTRY_ROLES]
    return [a for a in found if has_state(a, pyatspi.STATE_SHOWING)]


def the_entry(dialog):
    (entry,) = entries(dialog)
    return entry


def text_view(dialog):
    """A dialog's text view (the file viewer's, the stream boxes')."""
    return dialog.find(pyatspi.ROLE_TEXT)


def wait_for_view_text(dialog, expected: str):
    """Waits until the dialog's text view shows exactly ``expected``, and
    returns the view."""
    view = text_view(dialog)
    wait_until(lambda: text_of(view) == expected, f"the view to show {expected[-40:]!r}")
    return view


def wait_for_text(entry, expected):
    shown = expected if len(expected) < 40 else f"{len(expected)} characters"
    wait_until(lambda: text_of(entry) == expected, f"entry text {shown!r}")
