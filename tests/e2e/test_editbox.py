"""The editbox: a file's text edited in the dialog and answered whole on OK.
Nothing is lost: unedited, the answer is the file's bytes, whatever they are;
a file the editor cannot hold exactly is shown read-only with a note and
answered unchanged; edited text is answered exactly as edited."""

import os

import pyatspi
import pytest

from harness import (has_state, language_env, mnemonic_key, open_files, position, text_of,
                     translated, unexpected, wait_until)

pytestmark = pytest.mark.wayland

NUL_NOTE = ("The file holds a NUL byte and cannot be edited. It is shown read-only, and OK"
            " answers it unchanged.")
NOT_TEXT_NOTE = ("The file holds bytes that are not text in %s and cannot be edited. It is shown"
                 " read-only, and OK answers it unchanged.")
TOO_LARGE = "the file is too large to edit here (more than %zu MiB)"
LATIN1 = {"LC_ALL": "de_DE.ISO-8859-1", "LANGUAGE": "de"}


def text_view(dialog):
    return dialog.find(pyatspi.ROLE_TEXT)


def open_editbox(wrenpane, path, *options, env=None):
    """An editbox on path once its file is read (its view then takes keys):
    the app, its dialog and the view."""
    app = wrenpane.start(*options, "--editbox", path, 0, 0, env=env)
    dialog = app.dialog()
    view = text_view(dialog)
    wait_until(lambda: has_state(view, pyatspi.STATE_SENSITIVE), "the file to be read")
    return app, dialog, view


def big_text() -> bytes:
    """3 MB of CRLF lines, with a multibyte character on every line, so
    that reads in pieces cut characters and line ends apart."""
    return b"".join(f"line {n:07d} \u00e9\u20ac\r\n".encode() for n in range(150_000))


# A file's bytes, whether the editor may edit them, and the note otherwise.
AWKWARD_FILES = [
    ("empty", b"", True, None),
    ("no-final-newline", b"one\ntwo", True, None),
    ("crlf", b"a\r\nb\r\n", True, None),
    ("mixed-line-ends", b"a\rb\r\nc\n\n", True, None),
    ("bom", b"\xef\xbb\xbfbom\n", True, None),
    ("unicode", "\u00fcn\u00ef \u20ac\U0001F600 \u05e9\u05dc\u05d5\u05dd\n".encode(), True, None),
    ("tabs-and-blanks", b"\tx  \n \n\n", True, None),
    ("long-line", b"word " * 40_000, True, None),
    ("big", big_text(), True, None),
    ("nul", b"a\0b\n", False, NUL_NOTE),
    ("invalid-utf8", b"caf\xe9\n", False, NOT_TEXT_NOTE % "UTF-8"),
    ("cut-at-end", b"x\xe2\x82", False, NOT_TEXT_NOTE % "UTF-8"),
]


@pytest.mark.parametrize("data, editable, note", [case[1:] for case in AWKWARD_FILES],
                         ids=[case[0] for case in AWKWARD_FILES])
def test_unedited_answer_is_the_file_byte_for_byte(wrenpane, tmp_path, data, editable, note):
    path = tmp_path / "edited"
    path.write_bytes(data)
    app, dialog, view = open_editbox(wrenpane, path)
    assert has_state(view, pyatspi.STATE_EDITABLE) == editable
    if note:
        wait_until(lambda: note in dialog.labels(), "the note under the text")
    else:
        assert dialog.labels() == []
    assert dialog.button_names() == ["Cancel", "OK"]
    dialog.press("OK")
    assert app.finish() == (0, b"", data)
    assert path.read_bytes() == data


@pytest.mark.parametrize(
    "data, editable, note",
    [
        # Every byte is a character of Latin-1, and comes back as itself.
        (b"caf\xe9 \xff\xa4\r\nno newline", True, None),
        (b"\xe9\0", False, "NUL"),
    ],
    ids=["latin-1", "nul"],
)
def test_a_latin_1_locale_round_trips_its_own_bytes(wrenpane, tmp_path, data, editable, note):
    path = tmp_path / "latin1"
    path.write_bytes(data)
    app, dialog, view = open_editbox(wrenpane, path, env=LATIN1)
    assert has_state(view, pyatspi.STATE_EDITABLE) == editable
    if note:
        wait_until(lambda: translated("de", NUL_NOTE) in dialog.labels(), "the note")
    else:
        assert text_of(view) == data.decode("latin-1")
    dialog.press(translated("de", "_OK"))
    assert app.finish() == (0, b"", data)


@pytest.mark.parametrize("language", ["C", "de"])
def test_keys_alone_edit_and_answer_exactly_what_was_typed(wrenpane, tmp_path, language):
    # The end of the file: the last newline removed, text and a newline
    # typed. Return types "\n" whatever the file's line ends; the CRLF
    # untouched stays CRLF; nothing is added at the end.
    path = tmp_path / "edited"
    path.write_bytes(b"a\r\nb\n")
    app, dialog, view = open_editbox(wrenpane, path, env=language_env(language))
    wait_until(lambda: has_state(view, pyatspi.STATE_FOCUSED), "focus on the text")
    dialog.key("ctrl+End", "BackSpace")
    dialog.type("c\u20ac")
    dialog.key("Return")
    wait_until(lambda: text_of(view) == "a\r\nbc\u20ac\n", "the edit")
    dialog.key("alt+" + mnemonic_key(language, "_OK"))
    assert app.finish() == (0, b"", "a\r\nbc\u20ac\n".encode())
    assert path.read_bytes() == b"a\r\nb\n"


def test_keys_alone_in_a_right_to_left_language(wrenpane, tmp_path):
    # Ctrl+Tab leaves the text (Tab types a tab) for Cancel, Tab goes on to
    # OK.
    path = tmp_path / "edited"
    path.write_bytes("שלום\n".encode())
    app, dialog, view = open_editbox(wrenpane, path, env=language_env("he"))
    wait_until(lambda: has_state(view, pyatspi.STATE_FOCUSED), "focus on the text")
    dialog.key("ctrl+End", "Tab")
    wait_until(lambda: text_of(view) == "שלום\n\t", "the tab typed")
    ok = dialog.find(pyatspi.ROLE_PUSH_BUTTON, translated("he", "_OK"))
    cancel = dialog.find(pyatspi.ROLE_PUSH_BUTTON, translated("he", "_Cancel"))
    assert position(ok)[0] < position(cancel)[0]  # mirrored
    dialog.key("ctrl+Tab", "Tab")
    wait_until(lambda: has_state(ok, pyatspi.STATE_FOCUSED), "focus on OK")
    dialog.key("Return")
    assert app.finish() == (0, b"", "שלום\n\t".encode())


def test_edited_text_is_answered_in_the_locales_charset(wrenpane, tmp_path):
    path = tmp_path / "latin1"
    path.write_bytes(b"caf\r\n")
    app, dialog, view = open_editbox(wrenpane, path, env=LATIN1)
    dialog.key("ctrl+Home", "End")
    dialog.type("\u00e9")
    wait_until(lambda: text_of(view) == "caf\u00e9\r\n", "the edit")
    dialog.press(translated("de", "_OK"))
    assert app.finish() == (0, b"", b"caf\xe9\r\n")


@pytest.mark.parametrize("close, code", [("Cancel", 1), ("Escape", 5)])
def test_cancel_and_escape_write_nothing(wrenpane, tmp_path, close, code):
    path = tmp_path / "edited"
    path.write_bytes(b"text\n")
    app, dialog, view = open_editbox(wrenpane, path)
    dialog.type("more")
    wait_until(lambda: text_of(view) == "moretext\n", "the edit")
    dialog.close_with(close)
    assert app.finish() == (code, b"", b"")
    assert path.read_bytes() == b"text\n"


def test_common_options_apply(wrenpane, tmp_path):
    # The Extra button answers the text as OK does; the title is the
    # window's.
    path = tmp_path / "edited"
    path.write_bytes(b"kept")
    app, dialog, _ = open_editbox(wrenpane, path, "--title", "Notes", "--extra-button",
                                  "--extra-label", "Save as", "--ok-label", "Save")
    assert dialog.title == "Notes"
    assert dialog.button_names() == ["Cancel", "Save", "Save as"]
    dialog.press("Save as")
    assert app.finish() == (3, b"", b"kept")


def test_escape_answers_while_the_file_is_still_being_read(wrenpane, tmp_path):
    # A FIFO that no one writes: the window is up, OK waits, Escape ends it.
    fifo = tmp_path / "fifo"
    os.mkfifo(fifo)
    app = wrenpane.start("--editbox", fifo, 0, 0)
    dialog = app.dialog()
    ok = dialog.find(pyatspi.ROLE_PUSH_BUTTON, "OK")
    assert not has_state(ok, pyatspi.STATE_SENSITIVE)
    assert not has_state(text_view(dialog), pyatspi.STATE_SENSITIVE)
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


def test_a_fifo_is_answered_once_its_writer_closes(wrenpane, tmp_path):
    fifo = tmp_path / "fifo"
    os.mkfifo(fifo)
    app = wrenpane.start("--editbox", fifo, 0, 0)
    dialog = app.dialog()
    with open(fifo, "wb") as writer:
        writer.write(b"first \xe2\x82")
        writer.flush()
        writer.write(b"\xac last")
    view = text_view(dialog)
    wait_until(lambda: has_state(view, pyatspi.STATE_EDITABLE), "the text to be editable")
    assert str(fifo) not in open_files(app.pid)
    dialog.press("OK")
    assert app.finish() == (0, b"", "first € last".encode())


def error_popup(app, message: str):
    """The "Error" popup showing message."""
    def find():
        return next((w for w in app.windows() if w.labels() == ["Error", message]), None)

    return wait_until(find, f"an Error popup saying {message!r}")


def test_a_missing_or_unreadable_file_ends_with_error(wrenpane, tmp_path):
    missing = tmp_path / "missing"
    app = wrenpane.start("--print-size", "--editbox", missing, 0, 0)
    error_popup(app, f"{missing}: No such file or directory").press("Close")
    assert app.finish() == (255, b"", b"")

    # A folder opens but cannot be read: half a file is never an answer.
    app = wrenpane.start("--editbox", tmp_path, 0, 0)
    error_popup(app, f"{tmp_path}: Is a directory").press("Close")
    assert app.finish() == (255, b"", b"")


@pytest.mark.parametrize("kind", ["sparse-200mb", "dev-zero"])
def test_a_file_too_large_is_refused_with_bounded_memory(wrenpane, tmp_path, kind):
    if kind == "dev-zero":
        path = "/dev/zero"
    else:
        path = tmp_path / "huge"
        with open(path, "wb") as f:
            f.truncate(200 * 2**20)
    app = wrenpane.start("--editbox", path, 0, 0)
    popup = error_popup(app, f"{path}: " + TOO_LARGE.replace("%zu", "64"))
    status = open(f"/proc/{app.pid}/status").read()
    assert int(status.split("VmHWM:")[1].split()[0]) < 400 * 1024
    popup.press("Close")
    assert app.finish() == (255, b"", b"")


def test_a_10_mb_file_opens_scrolls_and_answers(wrenpane, tmp_path):
    data = b"".join(f"{n:8d} a line of ordinary words for the editor\n".encode()
                    for n in range(210_000))
    path = tmp_path / "ten"
    path.write_bytes(data)
    assert len(data) > 10_000_000
    app, dialog, view = open_editbox(wrenpane, path)
    def vertical_scroll():
        return next((b for b in dialog.find_all(pyatspi.ROLE_SCROLL_BAR)
                     if b.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).height > 100), None)

    values = wait_until(vertical_scroll, "the vertical scroll bar").queryValue()
    dialog.key("ctrl+End")
    wait_until(lambda: 0 < values.currentValue == values.maximumValue, "the end")
    dialog.press("OK")
    assert app.finish(timeout=60) == (0, b"", data)


def test_extra_argument_is_refused(wrenpane, tmp_path):
    path = tmp_path / "f"
    path.write_bytes(b"x")
    assert wrenpane.run("--editbox", path, 0, 0, "more") == (
        255, unexpected("--editbox", "more"), b"")
