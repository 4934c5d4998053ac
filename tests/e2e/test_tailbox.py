"""The tailbox and the tailboxbg: a file followed as a log is (appended to,
cut short, rotated, missing, a directory), a view that stays at the end
until scrolled away, and the background window beside a chain, or left
running with --no-kill."""

import os
import signal

import pyatspi
import pytest

from harness import (language_env, showing_titles, text_of, text_view, translated, unexpected,
                     wait_for_view_text, wait_until)

WAITING = "Waiting for the file to become readable."


def append(path, text: str):
    with open(path, "a") as log:
        log.write(text)


def wait_for_note(dialog, starts: str, ends: str = WAITING):
    """The note above the text, once it says why the file cannot be read."""
    def note():
        return next((label for label in dialog.labels()
                     if label.startswith(starts) and label.endswith(ends)), None)

    return wait_until(note, f"a note {starts!r}...{ends!r}")


def wait_for_no_note(dialog):
    wait_until(lambda: not any(WAITING in label for label in dialog.labels()), "the note to go")


@pytest.mark.wayland
def test_the_file_is_followed_through_growth_truncation_and_rotation(wrenpane, tmp_path):
    log = tmp_path / "app.log"
    log.write_text("first\n")
    app = wrenpane.start("--tailbox", log, 0, 0)
    dialog = app.dialog()
    wait_for_view_text(dialog, "first\n")
    append(log, "second\n")
    wait_for_view_text(dialog, "first\nsecond\n")
    # Cut short (as copytruncate does) and written again: shown from its start.
    log.write_text("cut\n")
    wait_for_view_text(dialog, "cut\n")
    # Rotated by a rename over it: the new file, from its start.
    rotated = tmp_path / "new.log"
    rotated.write_text("rotated in\n")
    os.replace(rotated, log)
    wait_for_view_text(dialog, "rotated in\n")
    append(log, "and on\n")
    wait_for_view_text(dialog, "rotated in\nand on\n")
    # Renamed away: the text stays, a note says why, until a new file comes.
    os.rename(log, tmp_path / "app.log.1")
    wait_for_note(dialog, f"{log}: No such file or directory\n")
    assert text_of(text_view(dialog)) == "rotated in\nand on\n"
    log.write_text("fresh\n")
    wait_for_view_text(dialog, "fresh\n")
    wait_for_no_note(dialog)
    # A directory in its place: a note, no crash, and a file again later.
    log.unlink()
    log.mkdir()
    wait_for_note(dialog, f"{log}: Is a directory\n")
    log.rmdir()
    log.write_text("back\n")
    wait_for_view_text(dialog, "back\n")
    dialog.press("Exit")
    assert app.finish() == (0, b"", b"")


@pytest.mark.wayland
@pytest.mark.parametrize("language", ["C", "de", "he"])
def test_a_missing_file_is_waited_for_with_a_note(wrenpane, tmp_path, language):
    log = tmp_path / "later.log"
    app = wrenpane.start("--tailbox", log, 0, 0, env=language_env(language))
    dialog = app.dialog()
    wait_for_note(dialog, f"{log}: ", translated(language, WAITING))
    assert dialog.button_names() == [translated(language, "_Exit")]
    log.write_text("here now\n")
    wait_for_view_text(dialog, "here now\n")
    wait_until(lambda: not any(str(log) in label for label in dialog.labels()), "the note to go")
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


def vertical_scroll(dialog):
    def find():
        return next((b for b in dialog.find_all(pyatspi.ROLE_SCROLL_BAR)
                     if b.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).height > 100), None)

    return wait_until(find, "the vertical scroll bar").queryValue()


def lines(first: int, count: int) -> str:
    return "".join(f"log line {n}\n" for n in range(first, first + count))


@pytest.mark.wayland
def test_the_view_stays_at_the_end_until_scrolled_away(wrenpane, tmp_path):
    log = tmp_path / "app.log"
    text = lines(0, 200)
    log.write_text(text)
    app = wrenpane.start("--tailbox", log, 12, 40)
    dialog = app.dialog()
    wait_for_view_text(dialog, text)
    scroll = vertical_scroll(dialog)

    def at_end():
        return 0 < scroll.currentValue == scroll.maximumValue

    wait_until(at_end, "the end in sight")
    for first, count in ((200, 50), (250, 50)):
        bottom = scroll.maximumValue
        append(log, lines(first, count))
        text += lines(first, count)
        wait_for_view_text(dialog, text)
        wait_until(lambda: at_end() and scroll.maximumValue > bottom, "the new end in sight")
    # Scrolled away, it stays where the user is.
    dialog.key("Home")
    wait_until(lambda: scroll.currentValue == 0, "the start")
    append(log, lines(300, 50))
    text += lines(300, 50)
    wait_for_view_text(dialog, text)
    assert scroll.currentValue == 0
    # End follows again.
    dialog.key("End")
    wait_until(at_end, "the end")
    bottom = scroll.maximumValue
    append(log, lines(350, 50))
    text += lines(350, 50)
    wait_for_view_text(dialog, text)
    wait_until(lambda: at_end() and scroll.maximumValue > bottom, "the new end in sight")
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


# A regular file is read about the text in sight, a window of about this
# many bytes: a log larger than it is never held whole.
WINDOW_BYTES = 2**20


def peak_memory_kib(pid: int) -> int:
    status = open(f"/proc/{pid}/status").read()
    return int(status.split("VmHWM:")[1].split()[0])


def ends_with(dialog, tail: str):
    text = text_view(dialog).queryText()
    return text.getText(max(text.characterCount - len(tail), 0), -1) == tail


def wait_for_end(dialog, tail: str):
    wait_until(lambda: ends_with(dialog, tail), f"the view to end with {tail[-40:]!r}")


def test_a_log_larger_than_the_viewer_holds_is_followed_at_its_end(wrenpane, tmp_path):
    # Read through, a log past the viewer's 256 MiB stopped there with a
    # note and was followed no further. A hole keeps the file off the disk.
    log = tmp_path / "huge.log"
    with open(log, "wb") as out:
        out.truncate(300 * 2**20)
        out.seek(0, os.SEEK_END)
        out.write(b"\n" + lines(0, 1000).encode())
    app = wrenpane.start("--tailbox", log, 12, 40)
    dialog = app.dialog()
    wait_for_end(dialog, lines(0, 1000))
    scroll = vertical_scroll(dialog)
    wait_until(lambda: 0 < scroll.currentValue == scroll.maximumValue, "the end in sight")
    append(log, lines(1000, 5))
    wait_for_end(dialog, lines(995, 10))
    wait_until(lambda: 0 < scroll.currentValue == scroll.maximumValue, "the new end in sight")
    assert text_view(dialog).queryText().characterCount <= 2 * WINDOW_BYTES
    assert not any("not read" in label for label in dialog.labels())
    # Grown by far more than a window between two looks: the end is read,
    # not all that came, which once took the growth's size in memory.
    with open(log, "r+b") as out:
        out.truncate(600 * 2**20)
        out.seek(0, os.SEEK_END)
        out.write(b"\n" + lines(2000, 10).encode())
    wait_for_end(dialog, lines(2000, 10))
    assert peak_memory_kib(app.pid) < 200 * 1024
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


@pytest.mark.wayland
def test_a_log_larger_than_the_window_is_followed_through_truncation_and_rotation(
        wrenpane, tmp_path):
    log = tmp_path / "app.log"
    log.write_text(lines(0, 100_000))  # 1.6 MB, more than a window
    app = wrenpane.start("--tailbox", log, 12, 40)
    dialog = app.dialog()
    scroll = vertical_scroll(dialog)

    def at_end():
        return 0 < scroll.currentValue == scroll.maximumValue

    wait_for_end(dialog, lines(99_990, 10))
    wait_until(at_end, "the end in sight")
    # Grown by more than a window while followed: still at the new end.
    append(log, lines(100_000, 100_000))
    wait_for_end(dialog, lines(199_990, 10))
    wait_until(at_end, "the new end in sight")
    # Grown by a paragraph longer than a window and one short line: the
    # window read at the end once held that line alone, short of the end.
    append(log, "x" * 1_100_000 + "\nthe last line\n")
    wait_for_end(dialog, "x\nthe last line\n")
    wait_until(at_end, "the end past the long paragraph")
    # Grown while the start is in sight: End reaches what came meanwhile.
    dialog.key("Home")
    wait_until(lambda: scroll.currentValue == 0, "the start")
    append(log, lines(200_000, 10))
    dialog.key("End")
    wait_for_end(dialog, lines(200_000, 10))
    wait_until(at_end, "the end again")
    # Cut short to a log that is still larger than a window: its end.
    log.write_text(lines(500_000, 100_000))
    wait_for_end(dialog, lines(599_990, 10))
    wait_until(at_end, "the cut log's end")
    # Rotated: the new file's end, then what is appended to it.
    rotated = tmp_path / "new.log"
    rotated.write_text(lines(700_000, 100_000))
    os.replace(rotated, log)
    wait_for_end(dialog, lines(799_990, 10))
    append(log, lines(800_000, 5))
    wait_for_end(dialog, lines(799_995, 10))
    wait_until(at_end, "the rotated log's end")
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


def test_a_file_that_says_it_is_empty_is_read_through(wrenpane):
    # Files of /proc are regular files of length 0 until they are read: read
    # on demand by their length, they showed nothing.
    app = wrenpane.start("--tailbox", "/proc/version", 0, 0)
    dialog = app.dialog()
    wait_for_view_text(dialog, open("/proc/version").read())
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


# The textbox shares the button, which once ignored --exit-label.
@pytest.mark.parametrize("dialog_name", ["--tailbox", "--textbox"])
def test_exit_label_and_title_apply(wrenpane, tmp_path, dialog_name):
    log = tmp_path / "app.log"
    log.write_text("x\n")
    app = wrenpane.start("--title", "Log", "--exit-label", "_Done", dialog_name, log, 0, 0)
    dialog = app.dialog(title="Log")
    assert dialog.button_names() == ["Done"]
    dialog.key("alt+d")
    assert app.finish() == (0, b"", b"")


@pytest.mark.parametrize("dialog_name", ["--tailbox", "--tailboxbg"])
def test_extra_argument_is_refused(wrenpane, tmp_path, dialog_name):
    assert wrenpane.run(dialog_name, tmp_path, 0, 0, "more") == (
        255, unexpected(dialog_name, "more"), b"")


def window_titled(app, title: str):
    return wait_until(lambda: next((w for w in app.windows() if w.title == title), None),
                      f"a window titled {title!r}")


@pytest.mark.wayland
def test_tailboxbg_stays_up_beside_the_chain_and_closes_with_it(wrenpane, tmp_path):
    log = tmp_path / "install.log"
    log.write_text("unpacking\n")
    app = wrenpane.start("--title", "Log", "--tailboxbg", log, 10, 50,
                         "--and-dialog", "--title", "Step", "--msgbox", "Installing", 6, 30)
    message = app.dialog(title="Step")
    background = window_titled(app, "Log")
    wait_for_view_text(background, "unpacking\n")
    append(log, "configuring\n")
    wait_for_view_text(background, "unpacking\nconfiguring\n")
    message.press("OK")
    assert app.finish() == (0, b"", b"")


@pytest.mark.wayland
def test_tailboxbg_timeout_closes_only_its_window(wrenpane, tmp_path):
    log = tmp_path / "install.log"
    log.write_text("unpacking\n")
    app = wrenpane.start("--title", "Log", "--timeout", 1, "--tailboxbg", log, 10, 50,
                         "--and-dialog", "--title", "Step", "--yesno", "Go on?", 6, 30)
    question = app.dialog(title="Step")
    window_titled(app, "Log")
    wait_until(lambda: all(w.title != "Log" for w in app.windows()), "the log window to close")
    question.press("No")
    assert app.finish() == (1, b"", b"")


def test_no_kill_window_shows_on_the_display_of_the_display_option(wrenpane, tmp_path):
    log = tmp_path / "install.log"
    log.write_text("unpacking\n")
    # Standard error gets the accessibility bridge's warning about :99.
    code, out, _ = wrenpane.run("--display", os.environ["DISPLAY"], "--stdout", "--no-kill",
                                "--title", "Log", "--tailboxbg", log, 10, 50,
                                env={"DISPLAY": ":99"})
    assert code == 0
    left = wrenpane.left_running(int(out))
    window_titled(left, "Log")


@pytest.mark.wayland
def test_no_kill_leaves_the_window_up_and_writes_its_process_id(wrenpane, tmp_path):
    log = tmp_path / "install.log"
    log.write_text("unpacking\n")
    app = wrenpane.start("--stdout", "--backtitle", "Setup", "--no-kill", "--title", "Log",
                         "--tailboxbg", log, 10, 50,
                         "--and-dialog", "--title", "Step", "--msgbox", "Done", 6, 30)
    step = app.dialog(title="Step")
    # The window left running is up before the chain goes on: appearing
    # later, it would take the keys typed into the next dialog.
    assert "Log" in showing_titles()
    step.press("OK")
    # finish() reads standard output to its end: the process left running
    # holds no descriptor of the script's.
    code, out, err = app.finish()
    assert (code, err) == (0, b"")
    pid = int(out)
    assert out == f"{pid}\n".encode()
    left = wrenpane.left_running(pid)
    # A session of its own: the end of the script's terminal does not end it.
    assert os.getsid(pid) == pid
    window = window_titled(left, "Log")
    # Only the window: a backdrop would cover the desktop after the script.
    assert [w.title for w in left.windows()] == ["Log"]
    append(log, "done\n")
    wait_for_view_text(window, "unpacking\ndone\n")
    os.kill(pid, signal.SIGTERM)
    wait_until(lambda: not left.is_running(), "the window's process to end")
