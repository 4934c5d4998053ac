"""Drive the real wrenpane binary and read its windows through AT-SPI.

The tests run inside a private desktop session (scripts/session): an X server
and a window manager, or a Wayland compositor (sway) without X, with a D-Bus
session bus and the accessibility bus. GTK publishes every widget of the
program on the accessibility bus; this package finds the program's windows
there, reads buttons, labels, toggles and values, presses buttons and sends
keys with xdotool on X or wtype on Wayland. The helpers that touch the
display take the session's path themselves, so tests need not know which it
is; those that need X skip their test on Wayland.

Every wait polls a condition and gives up after a timeout (WRENPANE_TIMEOUT
seconds, 10 by default), so a hung program fails its test instead of hanging
the run.

One module per concern: ``session`` (display, binary, environment, waits),
``command_line`` (arguments and expected output), ``languages``, ``keys``,
``screens`` (windows as the display server has them, screenshots,
selections), ``accessibles`` (AT-SPI queries), ``dialog`` (a window of the
program), ``processes`` (running the program) and ``monitors`` (private
display servers). Tests import every name from the package itself.

Typical use, through the ``wrenpane`` fixture of conftest.py::

    app = wrenpane.start("--yesno", "Sure?", "0", "0")
    dialog = app.dialog()
    assert dialog.button_names() == ["No", "Yes"]
    dialog.press("No")
    assert app.finish() == (1, b"", b"")
"""

from .accessibles import (ENTRY_ROLES, VALUED_ROLES, EventLog, announced, descendants, do_action,
                          entries, focus, focused, has_state, inputs, is_checked, position,
                          progress_of, related, set_text, set_value, table_cells, text_of,
                          text_view, the_entry, value_of, wait_for_text, wait_for_view_text)
from .command_line import VERSION_HEADER, VERSION_LINE, field, unexpected
from .dialog import POINTER_AT, Dialog
from .keys import TYPED_CHARACTERS, bind_typed_characters, send_keys, type_text, xdotool
from .languages import CATALOGUES, LOCALES, catalogue_text, language_env, mnemonic_key, translated
from .monitors import MonitorServer, WaylandMonitorServer
from .processes import App, LeftRunning, Result, open_files, program_on_path, showing_titles
from .screens import (Window, pixel, pixels, request_close, screen_bytes, screen_size,
                      selection_text, swaymsg, wayland_windows, x_display_env, x_geometry,
                      x_windows)
from .session import (BINARY, BUILD_DIR, POLL_INTERVAL, REPO, TIMEOUT, WAYLAND, WaitTimeout,
                      base_env, needs_wayland, needs_x, require_tools, wait_until)
