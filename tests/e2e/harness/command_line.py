"""What tests put on the program's command line, and what the program
writes back that tests expect word for word."""

from __future__ import annotations

import re

from .session import BUILD_DIR


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
