"""Helpers shared by the tests of the dialogs with text fields."""

import pyatspi

from harness import has_state, text_of, wait_until

ENTRY_ROLES = (pyatspi.ROLE_TEXT, pyatspi.ROLE_PASSWORD_TEXT)


def unexpected(dialog, *args):
    """What the program prints on standard output for surplus arguments."""
    plural = "s" if len(args) >= 2 else ""
    listed = "".join(f' "{a}"' for a in args)
    return (
        f"Error: {dialog} unexpected argument{plural}:{listed}.\n\n"
        "See 'wrenpane --help' or 'man 1 wrenbox' for more information.\n"
    ).encode()


def field(label, init, fieldlen=10, maxletters=0, y=1, x=1):
    """One form field group; the coordinates are accepted and ignored."""
    return [label, y, x, init, y, x + 10, fieldlen, maxletters]


def entries(dialog):
    """The showing entries of a dialog, top to bottom; a hidden entry has
    the password-text role."""
    found = [a for a in dialog.find_all(None) if a.getRole() in ENTRY_ROLES]
    return [a for a in found if has_state(a, pyatspi.STATE_SHOWING)]


def the_entry(dialog):
    (entry,) = entries(dialog)
    return entry


def wait_for_text(entry, expected):
    shown = expected if len(expected) < 40 else f"{len(expected)} characters"
    wait_until(lambda: text_of(entry) == expected, f"entry text {shown!r}")
