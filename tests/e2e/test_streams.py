"""programbox, progressbox and prgbox: standard input or a command's output
shown as it arrives, the view following its end, OK once the stream has
ended, Escape at any time (the prgbox's command and all it started ended
with it), and --tab-len, which places the tabs of these views and the
textbox's."""

import os
import subprocess
import threading

import pyatspi
import pytest

from harness import (has_state, language_env, text_of, text_view, translated, unexpected,
                     wait_for_view_text, wait_until)

pytestmark = pytest.mark.wayland

EXITED = "The command exited with status %d."
SIGNALLED = "The command was ended by signal %s."


def ok_button(dialog, name="OK"):
    return dialog.find(pyatspi.ROLE_PUSH_BUTTON, name)


def is_sensitive(button) -> bool:
    return has_state(button, pyatspi.STATE_SENSITIVE)


def vertical_scroll(dialog):
    def find():
        return next((b for b in dialog.find_all(pyatspi.ROLE_SCROLL_BAR)
                     if b.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).height > 100), None)

    return wait_until(find, "the vertical scroll bar").queryValue()


def lines(first: int, count: int) -> str:
    return "".join(f"line {n}\n" for n in range(first, first + count))


# --- programbox and progressbox ---------------------------------------------------


@pytest.mark.parametrize("text", [None, "Updating"], ids=["no-text", "text"])
def test_programbox_shows_input_as_it_comes_and_offers_ok_at_its_end(wrenpane, text):
    args = ["--programbox", *([text] if text else []), 0, 0]
    app = wrenpane.start(*args, stdin=subprocess.PIPE)
    dialog = app.dialog()
    view = text_view(dialog)
    # The text names the view for screen readers; without one it is "Output".
    labelled = [r.getTarget(0).name for r in view.getRelationSet()
                if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
    assert (labelled or [view.name]) == [text or "Output"]
    assert dialog.labels()[:1] == ([text] if text else [])
    assert dialog.button_names() == ["Cancel", "OK"]
    app.send(b"first piece\n")
    wait_for_view_text(dialog, "first piece\n")
    app.send(b"second \xff piece")
    wait_for_view_text(dialog, "first piece\nsecond \ufffd piece")
    ok = ok_button(dialog)
    assert not is_sensitive(ok)
    app.stdin.close()
    wait_until(lambda: is_sensitive(ok), "OK to be offered at the end of input")
    dialog.key("Return")  # the view has the focus; Enter presses the default
    assert app.finish() == (0, b"", b"")


def flood(stream, stop: threading.Event):
    """Writes without end until the reader goes away (or stop is set)."""
    block = (b"x" * 99 + b"\n") * 10_000
    try:
        while not stop.is_set():
            stream.write(block)
    except (BrokenPipeError, ValueError, OSError):
        pass


@pytest.mark.parametrize("dialog_name, close", [("programbox", "Escape"), ("programbox", "Cancel"),
                                                ("progressbox", "Escape")])
def test_a_writer_that_never_ends_does_not_hold_up_escape_or_cancel(wrenpane, dialog_name, close):
    app = wrenpane.start(f"--{dialog_name}", "Flood", 0, 0, stdin=subprocess.PIPE)
    dialog = app.dialog()
    stop = threading.Event()
    writer = threading.Thread(target=flood, args=(app.stdin, stop), daemon=True)
    writer.start()
    shown = text_view(dialog).queryText()
    wait_until(lambda: shown.characterCount > 1_000_000, "the flood to be shown")
    dialog.close_with(close)
    assert app.finish() == (5 if close == "Escape" else 1, b"", b"")
    # The writer finds the pipe closed.
    writer.join(10)
    stop.set()
    assert not writer.is_alive()


def test_progressbox_closes_itself_at_the_end_of_input(wrenpane):
    app = wrenpane.start("--progressbox", 0, 0, stdin=subprocess.PIPE)
    dialog = app.dialog()
    assert dialog.button_names() == []
    app.send(b"working\n")
    wait_for_view_text(dialog, "working\n")
    app.stdin.close()
    assert app.finish() == (0, b"", b"")


def test_a_progressbox_in_a_chain_hands_on_to_the_next_dialog(wrenpane):
    app = wrenpane.start("--progressbox", "Step", 0, 0, "--and-dialog", "--msgbox", "Done", 0, 0,
                         stdin=subprocess.PIPE)
    progress = app.dialog()
    app.send(b"all of it\n")
    wait_for_view_text(progress, "all of it\n")
    app.stdin.close()
    message = app.dialog()
    assert message.labels() == ["Done"]
    message.key("Return")
    assert app.finish() == (0, b"", b"")


def test_the_view_follows_the_end_until_the_user_scrolls_away(wrenpane):
    app = wrenpane.start("--programbox", 10, 40, stdin=subprocess.PIPE)
    dialog = app.dialog()
    app.send(lines(0, 200).encode())
    wait_for_view_text(dialog, lines(0, 200))
    scroll = vertical_scroll(dialog)
    at_end = lambda: 0 < scroll.currentValue == scroll.maximumValue  # noqa: E731
    wait_until(at_end, "the view at the end")
    app.send(lines(200, 100).encode())
    wait_until(lambda: scroll.maximumValue > 0 and at_end(), "the view to follow the end")
    dialog.key("Home")
    wait_until(lambda: scroll.currentValue == 0, "the start")
    app.send(lines(300, 100).encode())
    wait_for_view_text(dialog, lines(0, 400))
    assert scroll.currentValue == 0
    dialog.key("End")
    wait_until(at_end, "the end again")
    app.send(lines(400, 100).encode())
    wait_for_view_text(dialog, lines(0, 500))
    wait_until(at_end, "the view to follow the end again")
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


# --- prgbox --------------------------------------------------------------------


def status_shown(dialog, language, message, value):
    expected = translated(language, message) % value
    wait_until(lambda: expected in dialog.labels(), f"the status {expected!r}")


@pytest.mark.parametrize(
    "command, output, message, value",
    [
        ("echo out; echo err >&2; exit 3", "out\nerr\n", EXITED, 3),
        ("no_such_command_anywhere", "not found", EXITED, 127),
        ("echo bye; kill -TERM $$", "bye\n", SIGNALLED, "SIGTERM"),
    ],
    ids=["status", "missing", "signal"],
)
def test_prgbox_shows_the_output_and_how_the_command_ended(wrenpane, command, output, message,
                                                          value):
    app = wrenpane.start("--prgbox", "Running", command, 0, 0)
    dialog = app.dialog()
    view = text_view(dialog)
    wait_until(lambda: output in text_of(view), f"the output {output!r}")
    status_shown(dialog, "C", message, value)
    ok = ok_button(dialog)
    wait_until(lambda: is_sensitive(ok), "OK")
    dialog.key("Return")
    assert app.finish() == (0, b"", b"")


def processes_in_group(group: int) -> list[int]:
    """The live (not zombie) processes of a process group."""
    found = []
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open(f"/proc/{name}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if int(fields[2]) == group and fields[0] != "Z":
            found.append(int(name))
    return found


# The command ignores SIGTERM and leaves sleeping grandchildren, one of
# them ignoring SIGTERM too; it writes its process id (its group's) first.
STUBBORN = "trap '' TERM; echo $$; (trap '' TERM; sleep 300) & sleep 301 & while :; do sleep 1; done"


@pytest.mark.parametrize("close", ["Escape", "Cancel", "timeout"])
def test_ending_a_prgbox_ends_its_command_and_all_it_started(wrenpane, close):
    args = ["--timeout", 2] if close == "timeout" else []
    app = wrenpane.start(*args, "--prgbox", STUBBORN, 0, 0)
    dialog = app.dialog()
    view = text_view(dialog)
    group = int(wait_until(lambda: text_of(view).strip(), "the command's process id"))
    wait_until(lambda: len(processes_in_group(group)) >= 3, "the command's processes")
    if close != "timeout":
        dialog.close_with(close)
    expected = {"Escape": 5, "Cancel": 1, "timeout": 4}[close]
    assert app.finish() == (expected, b"", b"")
    assert processes_in_group(group) == []


# --- argument counts and --tab-len ------------------------------------------------


@pytest.mark.parametrize(
    "args, code, stdout, stderr",
    [
        (["--programbox", 10], 255, b"", b"wrenpane: expected [<text>] <rows> <cols>\n"),
        (["--prgbox", 10, 40], 255, b"",
         b"wrenpane: expected [<text>] <command> <rows> <cols>\n"),
        (["--progressbox", "t", 1, 2, "x"], 255, unexpected("--progressbox", "x"), b""),
        (["--prgbox", "t", "true", 1, 2, "x", "y"], 255, unexpected("--prgbox", "x", "y"), b""),
        (["--tab-len", 0, "--textbox", "/dev/null", 0, 0], 255, b"",
         b"wrenpane: --tab-len 0 is < 1\n"),
        (["--tab-len", "4x", "--textbox", "/dev/null", 0, 0], 255, b"",
         b"wrenpane: --tab-len 4x is not a number\n"),
    ],
    ids=["programbox-too-few", "prgbox-too-few", "progressbox-surplus", "prgbox-surplus",
         "tab-len-0", "tab-len-not-a-number"],
)
def test_wrong_arguments_are_errors(wrenpane, args, code, stdout, stderr):
    assert wrenpane.run(*args) == (code, stdout, stderr)


def tab_stop_x(wrenpane, tmp_path, tab_len) -> int:
    """How far right of the line's start a character after one tab shows."""
    path = tmp_path / "tabbed.txt"
    path.write_text("\tb\n")
    args = ["--tab-len", tab_len] if tab_len else []
    app = wrenpane.start(*args, "--textbox", path, 0, 0)
    dialog = app.dialog()
    view = wait_for_view_text(dialog, "\tb\n")
    text = view.queryText()
    start = text.getCharacterExtents(0, pyatspi.DESKTOP_COORDS)[0]
    after = text.getCharacterExtents(1, pyatspi.DESKTOP_COORDS)[0]
    dialog.key("Escape")
    assert app.finish().code == 5
    return after - start


def test_tab_len_places_the_tab_stops(wrenpane, tmp_path):
    default, four, two = (tab_stop_x(wrenpane, tmp_path, n) for n in (None, 4, 2))
    assert default > 0
    assert abs(four * 2 - default) <= 2
    assert abs(two * 4 - default) <= 2


# --- languages ---------------------------------------------------------------------


@pytest.mark.parametrize("language", ["de", "he"])
def test_prgbox_speaks_the_users_language(wrenpane, language):
    app = wrenpane.start("--prgbox", "exit 2", 0, 0, env=language_env(language))
    dialog = app.dialog()
    assert text_view(dialog).name == "exit 2"
    status_shown(dialog, language, EXITED, 2)
    ok = ok_button(dialog, translated(language, "_OK"))
    wait_until(lambda: is_sensitive(ok), "OK")
    dialog.key("Return")
    assert app.finish() == (0, b"", b"")


@pytest.mark.parametrize("language", ["de", "he"])
def test_programbox_names_its_view_in_the_users_language(wrenpane, language):
    app = wrenpane.start("--programbox", 0, 0, stdin=b"", env=language_env(language))
    dialog = app.dialog()
    assert text_view(dialog).name == translated(language, "Output")
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")
