"""The backdrop behind the dialogs (--backtitle, --bikeshed, --no-lines, the
logo) and the back-title relay of --clear-screen.

Every test has a private TMPDIR, so the relay socket it meets is its own.
Tests with several monitors run on a private X server (harness.MonitorServer)
with no window manager; the others on the session's."""

import os
import signal
import socket
import struct
import zlib

import pyatspi
import pytest

from harness import Dialog, MonitorServer, pixel, pixels, request_close
from harness import TIMEOUT, screen_size, wait_until, x_geometry, x_windows

MONITOR_WIDTH, MONITOR_HEIGHT = 1024, 768


@pytest.fixture(autouse=True)
def private_tmpdir(tmp_path, monkeypatch):
    monkeypatch.setenv("TMPDIR", str(tmp_path))


@pytest.fixture(scope="module")
def monitor_server(tmp_path_factory):
    server = MonitorServer(tmp_path_factory.mktemp("xorg"))
    yield server
    server.stop()


@pytest.fixture
def two_monitors(monitor_server):
    """Two monitors side by side; the right one is primary, so that a title
    put on the first monitor instead of the primary one shows."""
    monitor_server.set_monitors(2, primary=1)
    return monitor_server


def socket_path(tmp_path, display=None) -> str:
    return f"{tmp_path}/{display or os.environ['DISPLAY']}-wrenpane"


def backdrops(app) -> list[Dialog]:
    """The backdrop windows of app (plain frames; dialogs are not), left to
    right."""
    frames = [w for w in app.windows() if w.acc.getRole() == pyatspi.ROLE_FRAME]
    return sorted(frames, key=lambda w: w.extents()[0])


def wait_backdrops(app, count: int) -> list[Dialog]:
    return wait_until(lambda: len(found := backdrops(app)) == count and found,
                      f"{count} backdrop windows")


def the_dialog(app) -> Dialog:
    """The program's dialog window (not a backdrop), once it shows."""

    def find():
        shown = [w for w in app.windows() if w.acc.getRole() != pyatspi.ROLE_FRAME]
        return shown[0] if shown else None

    return wait_until(find, "the dialog")


def wait_label(window: Dialog, text: str) -> None:
    wait_until(lambda: window.labels() == [text], f"backdrop label {text!r}")


def content(window: Dialog) -> tuple[int, int]:
    """Numbers of rules (separators) and logos (images) in a backdrop window."""
    return (len(window.find_all(pyatspi.ROLE_SEPARATOR)),
            len(window.find_all(pyatspi.ROLE_ICON)) + len(window.find_all(pyatspi.ROLE_IMAGE)))


def write_png(path, size=8) -> None:
    """A small grey square as a PNG file."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data))

    rows = b"".join(b"\x00" + b"\x80" * size for _ in range(size))
    path.write_bytes(b"\x89PNG\r\n\x1a\n"
                     + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 0, 0, 0, 0))
                     + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


# --- Backdrop windows ----------------------------------------------------------


def test_one_window_per_monitor_with_the_title_on_the_primary(wrenpane, two_monitors):
    app = wrenpane.start("--backtitle", "Setup", "--msgbox", "hi", 0, 0, env=two_monitors.env)
    left, right = wait_backdrops(app, 2)
    assert left.extents() == (0, 0, MONITOR_WIDTH, MONITOR_HEIGHT)
    assert right.extents() == (MONITOR_WIDTH, 0, MONITOR_WIDTH, MONITOR_HEIGHT)
    assert (left.labels(), right.labels()) == ([" "], ["Setup"])
    the_dialog(app).press("OK")
    assert app.finish() == (0, b"", b"")


@pytest.mark.parametrize(
    "args, logo, expected",
    [
        ([], None, (1, 0)),
        (["--no-lines"], None, (0, 0)),
        ([], "logo.png", (1, 1)),
        (["--no-lines"], "logo.png", (0, 1)),
        # A logo that cannot be read is left out without a word.
        ([], "missing.png", (1, 0)),
    ],
)
def test_rule_and_logo_on_every_window(wrenpane, two_monitors, tmp_path, args, logo, expected):
    write_png(tmp_path / "logo.png")
    env = dict(two_monitors.env)
    if logo is not None:
        env["WRENPANE_BACKTITLE_LOGO"] = str(tmp_path / logo)
    app = wrenpane.start("--backtitle", "T", *args, "--msgbox", "hi", 0, 0, env=env)
    windows = wait_backdrops(app, 2)
    assert [content(w) for w in windows] == [expected, expected]
    the_dialog(app).press("OK")
    assert app.finish() == (0, b"", b"")


def test_screen_size_change_rebuilds_with_new_random_colours(wrenpane, monitor_server):
    monitor_server.set_monitors(2, primary=0)
    display = monitor_server.display
    app = wrenpane.start("--bikeshed", "--backtitle", "T", "--msgbox", "hi", 0, 0,
                         env=monitor_server.env)
    wait_backdrops(app, 2)
    point = (200, MONITOR_HEIGHT - 100)  # away from the title, the rule and the dialog
    before = pixel(*point, display)
    assert pixel(point[0] + MONITOR_WIDTH, point[1], display) == before, "one colour for all"

    monitor_server.set_monitors(1, primary=0)
    (window,) = wait_backdrops(app, 1)
    assert window.extents() == (0, 0, MONITOR_WIDTH, MONITOR_HEIGHT)
    assert window.labels() == ["T"]
    assert wait_until(lambda: pixel(*point, display) != before, "new colours")
    the_dialog(app).press("OK")
    assert app.finish() == (0, b"", b"")


def test_colours_of_the_themes_selected_rows(wrenpane, tmp_path):
    css = tmp_path / "theme.css"
    css.write_text("treeview:selected { background-color: #123456; color: #abcdef; }\n")
    app = wrenpane.start("--load-theme", css, "--backtitle", "T", "--msgbox", "hi", 0, 0)
    wait_backdrops(app, 1)
    # The session's screen is 1280x800; the dialog sits in its middle.
    assert wait_until(lambda: pixel(5, 795) == (0x12, 0x34, 0x56), "the theme's background")
    column = pixels(640, 0, 1, 200)
    assert (0xab, 0xcd, 0xef) in column, "a rule in the theme's text colour under the title"
    the_dialog(app).press("OK")
    assert app.finish() == (0, b"", b"")


def test_window_covers_the_monitor_at_scale_two(wrenpane):
    app = wrenpane.start("--backtitle", "T", "--msgbox", "hi", 0, 0, env={"GDK_SCALE": "2"})
    wait_backdrops(app, 1)
    screen = (0, 0, 1280, 800)
    assert wait_until(lambda: screen in [x_geometry(w) for w in x_windows(app.pid)],
                      "a window over the whole screen")
    assert all(x_geometry(w)[2:] <= screen[2:] for w in x_windows(app.pid))
    the_dialog(app).press("OK")
    assert app.finish() == (0, b"", b"")


def test_a_chain_keeps_the_first_backdrop(wrenpane):
    app = wrenpane.start("--backtitle", "A", "--msgbox", "one", 0, 0, "--and-dialog",
                         "--backtitle", "B", "--msgbox", "two", 0, 0)
    wait_backdrops(app, 1)
    the_dialog(app).press("OK")
    wait_until(lambda: the_dialog(app).labels() == ["two"], "the second box")
    assert backdrops(app)[0].labels() == ["A"]
    the_dialog(app).press("OK")
    assert app.finish() == (0, b"", b"")


def test_a_long_title_ends_in_an_ellipsis_on_the_screen(wrenpane):
    title = "Installing " + "W" * 240
    app = wrenpane.start("--backtitle", title, "--msgbox", "hi", 0, 0)
    (window,) = wait_backdrops(app, 1)
    # Screen readers still get the whole title.
    wait_label(window, title)
    width, height = screen_size()
    assert window.extents() == (0, 0, width, height)
    label = window.find(pyatspi.ROLE_LABEL)
    assert label.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).width < width
    the_dialog(app).press("OK")
    assert app.finish() == (0, b"", b"")


# --- Relay ---------------------------------------------------------------------


def start_relay(wrenpane, tmp_path, title="Owner"):
    """A relay owner showing title, once its socket listens."""
    owner = wrenpane.start("--backtitle", title, "--clear-screen")
    (window,) = wait_backdrops(owner, 1)
    wait_label(window, title)
    wait_until(lambda: os.path.exists(socket_path(tmp_path)), "the relay socket")
    return owner, window


def end_by_signal(owner, signum=signal.SIGTERM) -> None:
    os.kill(owner.pid, signum)
    code, _, stderr = owner.finish()
    assert (code, stderr) == (-signum, b"")


def test_relay_shows_the_titles_of_later_invocations(wrenpane, tmp_path):
    owner, window = start_relay(wrenpane, tmp_path)
    client = wrenpane.start("--backtitle", "Step 2", "--msgbox", "hi", 0, 0)
    wait_label(window, "Step 2")
    dialog = the_dialog(client)
    assert backdrops(client) == [], "the client built a backdrop of its own"
    dialog.press("OK")
    assert client.finish() == (0, b"", b"")
    end_by_signal(owner)


@pytest.mark.parametrize(
    "title, shown",
    [
        ("x" * 300, "x" * 256),
        # A character cut at the limit, and bytes that are not UTF-8.
        ("a" + "é" * 200, "a" + "é" * 127 + "\ufffd"),
        (b"\xffok", "\ufffdok"),
    ],
)
def test_relayed_titles_are_cut_and_repaired(wrenpane, tmp_path, title, shown):
    owner, window = start_relay(wrenpane, tmp_path)
    code, _, stderr = wrenpane.run("--backtitle", title, "--print-version")
    assert (code, stderr.startswith(b"Version:")) == (0, True)
    wait_label(window, shown)
    end_by_signal(owner)


def test_close_requests_leave_the_backdrop_open(wrenpane, tmp_path):
    owner, window = start_relay(wrenpane, tmp_path)
    (x_window,) = x_windows(owner.pid)
    request_close(x_window)
    # The relayed title is handled after the close request.
    assert wrenpane.run("--backtitle", "Still here", "--print-version").code == 0
    wait_label(window, "Still here")
    assert x_windows(owner.pid) == [x_window]
    end_by_signal(owner)


@pytest.mark.parametrize("signum", [signal.SIGTERM, signal.SIGINT, signal.SIGHUP])
def test_relay_removes_its_socket_when_ended(wrenpane, tmp_path, signum):
    owner, _ = start_relay(wrenpane, tmp_path)
    end_by_signal(owner, signum)
    assert not os.path.exists(socket_path(tmp_path))
    # The next start finds the path free.
    successor, _ = start_relay(wrenpane, tmp_path, "Next")
    end_by_signal(successor)


def test_new_owner_takes_the_place_of_a_killed_one(wrenpane, tmp_path):
    owner, _ = start_relay(wrenpane, tmp_path)
    owner.kill()  # SIGKILL leaves the socket file behind
    assert os.path.exists(socket_path(tmp_path))
    successor, window = start_relay(wrenpane, tmp_path, "B")
    assert wrenpane.run("--backtitle", "C", "--print-version").code == 0
    wait_label(window, "C")
    end_by_signal(successor)  # and nothing said about the stale socket


def test_second_owner_leaves_the_live_relay_reachable(wrenpane, tmp_path):
    owner, window = start_relay(wrenpane, tmp_path)
    path = socket_path(tmp_path)
    code, _, stderr = wrenpane.run("--backtitle", "B", "--clear-screen")
    assert (code, stderr.decode()) == (0, f"wrenpane: bind: {path}: Address already in use\n")
    wait_label(window, "B")
    assert os.path.exists(path)
    assert wrenpane.run("--backtitle", "C", "--print-version").code == 0
    wait_label(window, "C")
    end_by_signal(owner)


def connect(tmp_path) -> socket.socket:
    """A connection to the relay, open until the caller closes it. While the
    relay's queue of waiting connections is full, connecting waits."""
    peer = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    peer.setsockopt(socket.SOL_SOCKET, socket.SO_SNDTIMEO, struct.pack("ll", int(TIMEOUT), 0))
    peer.connect(socket_path(tmp_path))
    peer.settimeout(TIMEOUT)
    return peer


def send_title(tmp_path, title: bytes) -> None:
    with connect(tmp_path) as peer:
        peer.sendall(title)


def socket_descriptors(pid: int) -> int:
    """How many sockets the process has open."""
    count = 0
    for name in os.listdir(f"/proc/{pid}/fd"):
        try:
            count += os.readlink(f"/proc/{pid}/fd/{name}").startswith("socket:")
        except FileNotFoundError:
            pass  # closed meanwhile
    return count


def test_a_slow_sender_holds_up_no_other_title(wrenpane, tmp_path):
    owner, window = start_relay(wrenpane, tmp_path)
    slow = connect(tmp_path)
    send_title(tmp_path, b"Next")
    wait_label(window, "Next")
    # Still waited for, not dropped to make way for the other.
    slow.sendall(b"Slow")
    slow.close()
    wait_label(window, "Slow")
    end_by_signal(owner)


def test_a_flood_of_silent_connections_is_bounded(wrenpane, tmp_path):
    owner, window = start_relay(wrenpane, tmp_path)
    before = socket_descriptors(owner.pid)
    flood = [connect(tmp_path) for _ in range(100)]
    send_title(tmp_path, b"Through")
    wait_label(window, "Through")
    assert socket_descriptors(owner.pid) < before + 20, "the owner holds every connection"
    for peer in flood:  # each one dropped in the end
        assert peer.recv(1) == b""
        peer.close()
    end_by_signal(owner)


def foreign_regular_file(path):
    with open(path, "w") as f:
        f.write("not a socket")


def foreign_users_socket(path):
    listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    listener.bind(path)
    listener.listen(5)
    os.chown(path, 65534, 65534)
    return listener


@pytest.mark.parametrize("make_file", [foreign_regular_file, foreign_users_socket])
def test_no_relay_through_a_file_that_is_not_our_socket(wrenpane, tmp_path, make_file):
    if make_file is foreign_users_socket and os.geteuid() != 0:
        pytest.skip("needs root to give a socket away")
    listener = make_file(socket_path(tmp_path))
    app = wrenpane.start("--backtitle", "Mine", "--msgbox", "hi", 0, 0)
    (window,) = wait_backdrops(app, 1)
    wait_label(window, "Mine")
    the_dialog(app).press("OK")
    assert app.finish() == (0, b"", b"")
    if listener is not None:
        listener.setblocking(False)
        with pytest.raises(BlockingIOError):
            listener.accept()
        listener.close()


def test_no_relay_where_its_socket_path_would_not_fit(wrenpane, tmp_path, monkeypatch):
    """A socket path is at most 103 bytes: past that there is no relay, said
    once, and nothing is bound anywhere, so that no two displays share one."""
    deep = tmp_path / ("d" * (101 - len(str(tmp_path)) - 1))
    deep.mkdir()
    monkeypatch.setenv("TMPDIR", str(deep))
    owner = wrenpane.start("--backtitle", "Own", "--clear-screen", "--msgbox", "hi", 0, 0)
    (window,) = wait_backdrops(owner, 1)
    wait_label(window, "Own")
    the_dialog(owner).press("OK")
    code, stdout, stderr = owner.finish()
    assert (code, stdout) == (0, b"")
    (said,) = stderr.decode().splitlines()
    assert "relay" in said and str(deep) in said
    assert [p for p in tmp_path.rglob("*") if p.is_socket()] == []


def test_clear_screen_without_title_waits_with_nothing_shown(wrenpane, tmp_path):
    app = wrenpane.start("--clear-screen")
    app.accessible()
    assert app.windows() == []
    assert not os.path.exists(socket_path(tmp_path))
    end_by_signal(app)
