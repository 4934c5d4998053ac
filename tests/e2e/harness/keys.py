"""Keys and typing: xdotool on X, wtype on Wayland."""

from __future__ import annotations

import subprocess

from .session import TIMEOUT, WAYLAND, needs_x


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
