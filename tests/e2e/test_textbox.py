"""The textbox: a file shown whole and in order while the window is up, its
open error, FIFOs, and the F1 help that shows a message or a help file in
every dialog that has --hmsg or --hfile."""

import os
import re
import threading

import pyatspi
import pytest

from harness import (EventLog, has_state, open_files, screen_bytes, screen_size, selection_text,
                     text_of, the_entry, unexpected, wait_until)

# Reads happen in pieces of this many bytes; the big file crosses several.
PIECE = 65536
REPLACEMENT = "\ufffd"


def numbered_lines(count: int) -> str:
    return "".join(f"line {n:06d} of the file, in order\n" for n in range(count))


def big_file_bytes() -> tuple[bytes, str]:
    """Several pieces of numbered lines with a two-byte character cut by the
    first piece boundary and a stray byte that is not UTF-8."""
    head = numbered_lines(2000).encode()[: PIECE - 1]
    data = head + "é".encode() + b"middle \xff byte\n" + numbered_lines(4000).encode()
    shown = head.decode() + "é" + f"middle {REPLACEMENT} byte\n" + numbered_lines(4000)
    return data, shown


def text_view(dialog):
    return dialog.find(pyatspi.ROLE_TEXT)


def wait_for_view_text(dialog, expected: str):
    view = text_view(dialog)
    wait_until(lambda: text_of(view) == expected, f"the view to show {len(expected)} characters")


def press_f1(dialog):
    dialog.key("F1")


@pytest.mark.parametrize(
    "data, shown",
    [
        (*big_file_bytes(),),
        (b"", ""),
        # A character cut at the very end of the file is shown as one U+FFFD.
        (b"caf\xc3\xa9 \xe2\x82", f"café {REPLACEMENT}"),
        (b"latin-1 caf\xe9\n", f"latin-1 caf{REPLACEMENT}\n"),
    ],
    ids=["big", "empty", "cut-at-end", "latin-1"],
)
def test_file_is_shown_whole_and_in_order(wrenpane, tmp_path, data, shown):
    path = tmp_path / "shown.txt"
    path.write_bytes(data)
    app = wrenpane.start("--textbox", path, 0, 0)
    dialog = app.dialog()
    wait_for_view_text(dialog, shown)
    assert dialog.button_names() == ["Exit"]
    assert dialog.close_button() is None
    dialog.press("Exit")
    assert app.finish() == (0, b"", b"")


def show_text_file(wrenpane, tmp_path, text: str):
    """A textbox showing a file of text, once the whole text is in: the app
    and its dialog."""
    path = tmp_path / "shown.txt"
    path.write_text(text)
    app = wrenpane.start("--textbox", path, 0, 0)
    dialog = app.dialog()
    wait_for_view_text(dialog, text)
    return app, dialog


def test_escape_gives_esc(wrenpane, tmp_path):
    app, dialog = show_text_file(wrenpane, tmp_path, "text\n")
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


def test_keys_scroll_through_the_whole_file(wrenpane, tmp_path):
    # Only the lines in sight are laid out; the others' heights are
    # estimated. The keys still reach both ends, and the end stays the end
    # once the long last line there has been laid out.
    app, dialog = show_text_file(wrenpane, tmp_path, numbered_lines(3000) + "x " * 2000 + "\n")

    scroll = vertical_scroll(dialog)
    assert scroll.currentValue == 0
    dialog.key("Page_Down")
    wait_until(lambda: scroll.currentValue > 0, "a page down")
    dialog.key("End")
    wait_until(lambda: 0 < scroll.currentValue == scroll.maximumValue, "the end")
    dialog.key("Home")
    wait_until(lambda: scroll.currentValue == 0, "the start")
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


@pytest.mark.wayland
@pytest.mark.parametrize("viewer", ["textbox", "help-file"])
def test_the_view_has_the_focus_when_the_window_opens(wrenpane, tmp_path, viewer):
    # Keys act on the text at once, with no click or Tab first.
    text = numbered_lines(200)
    path = tmp_path / "shown.txt"
    path.write_text(text)
    if viewer == "textbox":
        app = wrenpane.start("--textbox", path, 0, 0)
        dialog = app.dialog()
    else:
        app = wrenpane.start("--hfile", path, "--msgbox", "hi", 0, 0)
        message = app.dialog()
        press_f1(message)
        dialog = app.dialog(title="Help")
    wait_for_view_text(dialog, text)
    view = text_view(dialog)
    wait_until(lambda: has_state(view, pyatspi.STATE_FOCUSED), "focus on the view")
    scroll = vertical_scroll(dialog)
    dialog.key("End")
    wait_until(lambda: 0 < scroll.currentValue == scroll.maximumValue, "the end")
    dialog.key("ctrl+a")
    selected = view.queryText()
    wait_until(lambda: selected.getNSelections() == 1 and selected.getSelection(0) == (0, len(text)),
               "the whole text selected")
    if viewer == "help-file":
        dialog.press("Exit")
        dialog = message
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


def test_text_is_selected_with_the_mouse_or_ctrl_a_and_copied(wrenpane, tmp_path):
    text = "alpha beta gamma delta\nsecond line\n"
    app, dialog = show_text_file(wrenpane, tmp_path, text)
    view = text_view(dialog)
    # From the left edge of the first line to the middle of the view: the
    # start of the first line.
    dialog.drag(view, (0.0, 0.01), (0.1, 0.01))
    primary = wait_until(lambda: selection_text("PRIMARY"), "a selection")
    assert primary and "alpha beta gamma delta".startswith(primary)
    dialog.double_click(view, 0.01, 0.01)
    wait_until(lambda: selection_text("PRIMARY") == "alpha", "the first word selected")
    dialog.key("ctrl+a", "ctrl+c")
    wait_until(lambda: selection_text("CLIPBOARD") == text, "the whole text copied")
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


def error_popup(app, message: str):
    """The "Error" popup showing message, once it is the active window."""
    def find():
        for window in app.windows():
            if window.is_active() and window.labels() == ["Error", message]:
                return window
        return None

    popup = wait_until(find, f"an Error popup saying {message!r}")
    # It keeps the focus, so that Return or Escape close it.
    wait_until(lambda: popup.window_manager_title() == "Error", "the Error popup to have the focus")
    return popup


@pytest.mark.parametrize("name", ["missing.txt", "back\\nslash"])
def test_missing_file_shows_the_reason_and_ends_with_error(wrenpane, tmp_path, name):
    path = tmp_path / name
    app = wrenpane.start("--print-size", "--textbox", path, 0, 0)
    error_popup(app, f"{path}: No such file or directory").press("Close")
    # No DialogSize line after the failure.
    assert app.finish() == (255, b"", b"")


def test_unreadable_file_shows_the_reason_and_keeps_the_dialog(wrenpane, tmp_path):
    app = wrenpane.start("--textbox", tmp_path, 0, 0)
    error_popup(app, "Is a directory").press("Close")
    dialog = app.dialog()
    dialog.press("Exit")
    assert app.finish() == (0, b"", b"")


def test_path_is_taken_literally(wrenpane, tmp_path):
    path = tmp_path / "a\\nb  c"
    path.write_text("literal\n")
    app = wrenpane.start("--textbox", path, 0, 0)
    dialog = app.dialog()
    wait_for_view_text(dialog, "literal\n")
    dialog.press("Exit")
    assert app.finish() == (0, b"", b"")


def test_extra_argument_is_refused(wrenpane, tmp_path):
    path = tmp_path / "f.txt"
    path.write_text("x")
    assert wrenpane.run("--textbox", path, 0, 0, "more") == (
        255, unexpected("--textbox", "more"), b"")


def test_fifo_is_read_until_its_writer_closes(wrenpane, tmp_path):
    fifo = tmp_path / "fifo"
    os.mkfifo(fifo)
    app = wrenpane.start("--textbox", fifo, 0, 0)
    dialog = app.dialog()

    def write():
        with open(fifo, "wb") as writer:
            writer.write(b"first \xe2\x82")
            writer.flush()
            writer.write(b"\xac last\n")

    writer = threading.Thread(target=write)
    writer.start()
    wait_for_view_text(dialog, "first € last\n")
    writer.join()
    # The writer's hang-up ends the reading: a watch that missed it would
    # keep the FIFO open and be dispatched without end.
    wait_until(lambda: str(fifo) not in open_files(app.pid), "the FIFO to be closed")
    dialog.press("Exit")
    assert app.finish() == (0, b"", b"")


def test_an_endless_file_is_read_up_to_the_limit(wrenpane):
    # Every NUL byte becomes a three-byte U+FFFD; the viewer stops at
    # 256 MiB held and says so under the text.
    app = wrenpane.start("--textbox", "/dev/zero", 0, 0)
    dialog = app.dialog()
    note = "The rest of the file was not read: the viewer holds at most 256 MiB of text."
    wait_until(lambda: note in dialog.labels(), "the note that the rest was not read", 120)
    wait_until(lambda: "/dev/zero" not in open_files(app.pid), "/dev/zero to be closed")
    count = text_view(dialog).queryText().characterCount
    # The limit counts the text's records too, a small part of it.
    assert 250 * 2**20 // 3 < count <= 256 * 2**20 // 3
    dialog.press("Exit")
    assert app.finish() == (0, b"", b"")


def peak_memory_kib(pid: int) -> int:
    status = open(f"/proc/{pid}/status").read()
    return int(status.split("VmHWM:")[1].split()[0])


LONG_LINE_BYTES = 50_000_000


# A regular file is read about the text in sight, a window of about this
# many bytes: screen readers get that window's text, never the whole file.
WINDOW_BYTES = 2**20


@pytest.mark.parametrize("unit", [b"words in a line ", b"a"], ids=["words", "unbroken"])
def test_one_huge_line_keeps_the_window_answering(wrenpane, tmp_path, unit):
    # Laid out whole, one line of 50 MB froze the window for most of a
    # minute and took gigabytes; read whole, it took the file's size.
    path = tmp_path / "line.txt"
    data = (unit * (LONG_LINE_BYTES // len(unit) + 1))[:LONG_LINE_BYTES]
    path.write_bytes(data)
    app = wrenpane.start("--textbox", path, 0, 0)
    dialog = app.dialog()
    text = text_view(dialog).queryText()
    wait_until(lambda: text.characterCount > 0, "the text at the start")
    assert text.characterCount <= WINDOW_BYTES
    assert text.getText(0, 64) == data[:64].decode()
    scroll_to_end(dialog)
    tail = data[-1000:].decode()
    wait_until(lambda: text.getText(text.characterCount - len(tail), -1) == tail, "the line's end")
    # A screen reader's line comes from the few sections around it, not
    # from the whole paragraph laid out.
    middle = text.characterCount // 2
    line, start, end = text.getTextAtOffset(middle, pyatspi.TEXT_BOUNDARY_LINE_START)
    assert start <= middle < end <= start + 4096 and line == text.getText(start, end)
    # Under the 50 MB that reading the file whole would add to the dialog's
    # own (tens of MB in a sanitizer build).
    assert peak_memory_kib(app.pid) < 2 * LONG_LINE_BYTES // 1024
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


def test_a_file_that_says_it_is_empty_is_read_through(wrenpane):
    # Files of /proc are regular files of length 0 until they are read.
    app = wrenpane.start("--textbox", "/proc/version", 0, 0)
    dialog = app.dialog()
    wait_for_view_text(dialog, open("/proc/version").read())
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


@pytest.mark.wayland
def test_a_file_larger_than_the_window_is_read_where_it_is_shown(wrenpane, tmp_path):
    lines = numbered_lines(400_000)  # 14 MB, many windows
    path = tmp_path / "big.txt"
    path.write_text(lines)
    app = wrenpane.start("--textbox", path, 0, 0)
    dialog = app.dialog()
    text = text_view(dialog).queryText()
    wait_until(lambda: text.getText(0, 35) == lines[:35], "the first line")
    shown = text.getText(0, -1)
    assert 0 < len(shown) <= WINDOW_BYTES and lines.startswith(shown)
    scroll_to_end(dialog)
    last = "line 399999 of the file, in order\n"
    wait_until(lambda: text.getText(0, -1).endswith(last), "the last line")
    # The window at the end holds whole lines, as the file has them.
    shown = text.getText(0, -1)
    assert lines.endswith(shown) and shown.startswith("line ")
    dialog.key("Home")
    wait_until(lambda: text.getText(0, 35) == lines[:35], "the first line again")
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


def test_scrolling_through_windows_shows_every_line_in_order(wrenpane, tmp_path):
    lines = numbered_lines(100_000)  # 3.4 MB
    path = tmp_path / "big.txt"
    path.write_text(lines)
    app = wrenpane.start("--textbox", path, 0, 0)
    dialog = app.dialog()
    view = text_view(dialog)
    text = view.queryText()
    wait_until(lambda: text.getText(0, 35) == lines[:35], "the first line")
    scroll = vertical_scroll(dialog)
    extents = view.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)

    def top_line():
        offset = text.getOffsetAtPoint(extents.x + 5, extents.y + 5, pyatspi.DESKTOP_COORDS)
        line = text.getTextAtOffset(offset, pyatspi.TEXT_BOUNDARY_LINE_START)[0]
        return int(line.split()[1])

    # A page at a time past the point where the window at hand is read
    # again about the text in sight: each page starts where the last ended,
    # never skipping or repeating lines when the window changes under it.
    first_window = text.getText(0, 35)
    page = extents.height
    tops = [top_line()]
    while tops[-1] < 40_000:
        scroll.currentValue = scroll.currentValue + page
        tops.append(top_line())
    steps = {b - a for a, b in zip(tops, tops[1:])}
    assert max(steps) - min(steps) <= 1, steps
    assert text.getText(0, 35) != first_window
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


def vertical_scroll(dialog):
    """The value interface of the view's vertical scroll bar, once the text
    is tall enough to show it."""
    def find():
        return next((b for b in dialog.find_all(pyatspi.ROLE_SCROLL_BAR)
                     if b.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).height > 100), None)

    return wait_until(find, "the vertical scroll bar").queryValue()


def scroll_to_end(dialog):
    scroll = vertical_scroll(dialog)
    dialog.key("End")
    wait_until(lambda: 0 < scroll.currentValue == scroll.maximumValue, "the end")


def text_pixels(dialog):
    """The pixels of the left part of the view, where short lines are drawn
    (the right edge may show a fading scroll bar)."""
    e = text_view(dialog).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return screen_bytes(e.x, e.y, e.width // 2, e.height)


def settled_text_pixels(dialog):
    """The view's pixels once two looks in a row agree."""
    last = [None]

    def settled():
        shown, last[0] = last[0], text_pixels(dialog)
        return last[0] if shown == last[0] else None

    return wait_until(settled, "the view to be drawn")


def test_a_paragraph_that_grew_out_of_sight_is_drawn_whole(wrenpane, tmp_path):
    # The last paragraph grows while the view shows the start of the text;
    # scrolled back to the end, the view must show what a view that read the
    # whole text at once shows.
    head = numbered_lines(80) + "TAIL-START"
    tail = "-TAIL-END-GROWN\nafter 1\nafter 2\n"
    app, dialog = show_text_file(wrenpane, tmp_path, head + tail)
    scroll_to_end(dialog)
    expected = settled_text_pixels(dialog)
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")

    fifo = tmp_path / "fifo"
    os.mkfifo(fifo)
    app = wrenpane.start("--textbox", fifo, 0, 0)
    dialog = app.dialog()
    with open(fifo, "wb", buffering=0) as writer:
        writer.write(head.encode())
        wait_for_view_text(dialog, head)
        scroll_to_end(dialog)
        scroll = vertical_scroll(dialog)
        dialog.key("Home")
        wait_until(lambda: scroll.currentValue == 0, "the start")
        writer.write(tail.encode())
        wait_for_view_text(dialog, head + tail)
        scroll_to_end(dialog)
        wait_until(lambda: text_pixels(dialog) == expected, "the grown paragraph drawn whole")
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


# --- What screen readers read -----------------------------------------------

PROSE = "One sentence here. Another one follows!\n"
# Wider than any view: it wraps into several lines.
WRAPPED = "wrapped " * 60 + "end\n"


def test_units_are_words_sentences_and_paragraphs(wrenpane, tmp_path):
    app, dialog = show_text_file(wrenpane, tmp_path, PROSE + WRAPPED + "last line")
    text = text_view(dialog).queryText()
    at, before, after = text.getTextAtOffset, text.getTextBeforeOffset, text.getTextAfterOffset
    questions = [
        (text.getStringAtOffset, 1, pyatspi.TEXT_GRANULARITY_WORD, ("One ", 0, 4)),
        # In the blank after a word: that word.
        (text.getStringAtOffset, 3, pyatspi.TEXT_GRANULARITY_WORD, ("One ", 0, 4)),
        (text.getStringAtOffset, 17, pyatspi.TEXT_GRANULARITY_WORD, ("here. ", 13, 19)),
        # A word runs to the next one's start, in the next paragraph.
        (text.getStringAtOffset, 38, pyatspi.TEXT_GRANULARITY_WORD, ("follows!\n", 31, 40)),
        (text.getStringAtOffset, 5, pyatspi.TEXT_GRANULARITY_SENTENCE,
         ("One sentence here. ", 0, 19)),
        (text.getStringAtOffset, 20, pyatspi.TEXT_GRANULARITY_SENTENCE,
         ("Another one follows!\n", 19, 40)),
        (text.getStringAtOffset, 5, pyatspi.TEXT_GRANULARITY_PARAGRAPH, (PROSE, 0, 40)),
        (text.getStringAtOffset, 5, pyatspi.TEXT_GRANULARITY_CHAR, ("e", 5, 6)),
        (text.getStringAtOffset, 5, pyatspi.TEXT_GRANULARITY_LINE, (PROSE, 0, 40)),
        (at, 15, pyatspi.TEXT_BOUNDARY_WORD_START, ("here. ", 13, 19)),
        (at, 15, pyatspi.TEXT_BOUNDARY_WORD_END, (" here", 12, 17)),
        (before, 15, pyatspi.TEXT_BOUNDARY_WORD_START, ("sentence ", 4, 13)),
        (after, 15, pyatspi.TEXT_BOUNDARY_WORD_START, ("Another ", 19, 27)),
        (before, 20, pyatspi.TEXT_BOUNDARY_SENTENCE_START, ("One sentence here. ", 0, 19)),
        (after, 5, pyatspi.TEXT_BOUNDARY_SENTENCE_START, ("Another one follows!\n", 19, 40)),
        (at, 5, pyatspi.TEXT_BOUNDARY_CHAR, ("e", 5, 6)),
        (after, 5, pyatspi.TEXT_BOUNDARY_CHAR, ("n", 6, 7)),
        (at, 5, pyatspi.TEXT_BOUNDARY_LINE_END, (PROSE[:-1], 0, 39)),
        # At the end: the last word, and nothing after it.
        (at, len(PROSE + WRAPPED) + 9, pyatspi.TEXT_BOUNDARY_WORD_START,
         ("line", len(PROSE + WRAPPED) + 5, len(PROSE + WRAPPED) + 9)),
        (after, len(PROSE + WRAPPED) + 6, pyatspi.TEXT_BOUNDARY_WORD_START,
         ("", len(PROSE + WRAPPED) + 9, len(PROSE + WRAPPED) + 9)),
    ]
    answers = [(ask.__name__, offset, unit, ask(offset, unit)) for ask, offset, unit, _ in questions]
    assert answers == [(ask.__name__, offset, unit, expected)
                       for ask, offset, unit, expected in questions]
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


def lines_read(text, unit=pyatspi.TEXT_BOUNDARY_LINE_START) -> list[tuple[str, int, int]]:
    """The lines of a Text, read one after the other from its start."""
    count = text.characterCount
    lines = [text.getTextAtOffset(0, unit)]
    while lines[-1][2] < count:
        line = text.getTextAfterOffset(lines[-1][1], unit)
        assert line[1] == lines[-1][2] < line[2], f"{line} does not follow {lines[-1]}"
        lines.append(line)
    return lines


def test_lines_are_the_lines_laid_out(wrenpane, tmp_path):
    # The first wrapped paragraph is in sight; the second is not, and is laid
    # out at the view's width when asked about. The unbroken paragraph is
    # laid out in sections of 4096 bytes, each starting a line.
    short_lines = numbered_lines(60)
    unbroken = "a" * 9000 + "\n"
    whole = PROSE + WRAPPED + short_lines + WRAPPED + unbroken + "last line"
    app, dialog = show_text_file(wrenpane, tmp_path, whole)
    text = text_view(dialog).queryText()
    lines = lines_read(text)
    assert "".join(line for line, _, _ in lines) == whole
    unbroken_start = whole.index(unbroken)
    starts = {start - unbroken_start for _, start, _ in lines}
    assert {4096, 8192} <= starts
    wrapped = [line for line, _, _ in lines if line.startswith("wrapped") or line == "end\n"]
    assert len(wrapped) > 2 * WRAPPED.count("\n")
    assert all(re.fullmatch(r"(wrapped )+|(wrapped )*end\n", line) for line in wrapped)
    first_half = len(wrapped) // 2
    assert wrapped[:first_half] == wrapped[first_half:]
    # Each line is found from any offset in it, the line before it and the
    # line after it.
    for i, (line, start, end) in enumerate(lines):
        assert text.getStringAtOffset(end - 1, pyatspi.TEXT_GRANULARITY_LINE) == lines[i]
        if i > 0:
            assert text.getTextBeforeOffset(start, pyatspi.TEXT_BOUNDARY_LINE_START) == lines[i - 1]
    # Lines cut at their ends: the line break comes before each paragraph's
    # first line instead of after its last.
    ends = lines_read(text, pyatspi.TEXT_BOUNDARY_LINE_END)
    assert [end for _, _, end in ends] == [end - (line.endswith("\n")) for line, _, end in lines]
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


def test_caret_and_selection_follow_the_mouse_and_ctrl_a(wrenpane, tmp_path):
    whole = "alpha beta gamma delta\nsecond line\n"
    app, dialog = show_text_file(wrenpane, tmp_path, whole)
    view = text_view(dialog)
    text = view.queryText()
    assert (text.caretOffset, text.getNSelections()) == (0, 0)
    dialog.drag(view, (0.0, 0.01), (0.1, 0.01))
    primary = wait_until(lambda: selection_text("PRIMARY"), "a dragged selection")
    start, end = text.getSelection(0)
    assert (whole[start:end], text.caretOffset) == (primary, end)

    with EventLog(app.pid, "object:text-caret-moved", "object:text-selection-changed") as events:
        dialog.double_click(view, 0.01, 0.01)
        wait_until(lambda: selection_text("PRIMARY") == "alpha", "the first word selected")
        assert (text.caretOffset, text.getNSelections(), text.getSelection(0)) == (5, 1, (0, 5))
        events.wait_for(("object:text-caret-moved", 5))
        events.wait_for(("object:text-selection-changed", None))
        dialog.key("ctrl+a")
        events.wait_for(("object:text-caret-moved", len(whole)))
        assert (text.getNSelections(), text.getSelection(0)) == (1, (0, len(whole)))

    # A screen reader selects and moves the caret too.
    assert text.setSelection(0, 6, 10)
    wait_until(lambda: selection_text("PRIMARY") == "beta", "the selection set by AT-SPI")
    assert text.removeSelection(0)
    assert (text.getNSelections(), text.caretOffset) == (0, 10)
    assert text.setCaretOffset(3)
    assert text.caretOffset == 3
    dialog.key("Escape")
    assert app.finish() == (5, b"", b"")


# --- F1 help -----------------------------------------------------------------

HELP_DIALOGS = [
    (["--msgbox", "hi", 0, 0], 5),
    (["--sleep", "60", "--infobox", "hi", 0, 0], 0),
    (["--inputbox", "name?", 0, 0], 5),
]


@pytest.mark.wayland
@pytest.mark.parametrize("args, escape_code", HELP_DIALOGS)
def test_f1_shows_the_help_message(wrenpane, args, escape_code):
    app = wrenpane.start("--hmsg", "Press OK when done.", *args)
    dialog = app.dialog()
    press_f1(dialog)
    help_popup = app.dialog()
    assert help_popup.window_manager_title() == "Help"
    assert help_popup.labels() == ["Help", "Press OK when done."]
    help_popup.press("Close")
    # The dialog goes on and F1 opens a new popup each time.
    press_f1(dialog)
    app.dialog().press("Close")
    dialog.key("Escape")
    assert app.finish() == (escape_code, b"", b"")


@pytest.mark.wayland
@pytest.mark.parametrize("args, escape_code", HELP_DIALOGS)
def test_f1_shows_the_help_file_on_a_fresh_configuration(wrenpane, tmp_path, args, escape_code):
    help_file = tmp_path / "help.txt"
    help_file.write_text("How to use this dialog.\n")
    app = wrenpane.start("--hfile", help_file, "--hmsg", "ignored", "--title", "Main",
                         "--hline", "Sub", "--begin-x", 20, "--begin-y", 20, *args)
    dialog = app.dialog()
    press_f1(dialog)
    viewer = app.dialog(title="Help")
    wait_for_view_text(viewer, "How to use this dialog.\n")
    assert (viewer.subtitle, viewer.close_button(), viewer.button_names()) == (None, None, ["Exit"])
    x, y, width, height = viewer.extents()
    screen_width, screen_height = screen_size()
    assert abs(x + width / 2 - screen_width / 2) < 20
    assert abs(y + height / 2 - screen_height / 2) < 40
    viewer.press("Exit")
    dialog.key("Escape")
    assert app.finish() == (escape_code, b"", b"")


@pytest.mark.wayland
@pytest.mark.parametrize("args, escape_code", HELP_DIALOGS[:2])
def test_missing_help_file_shows_the_error_and_the_dialog_goes_on(wrenpane, tmp_path, args,
                                                                 escape_code):
    missing = tmp_path / "no-help.txt"
    app = wrenpane.start("--hfile", missing, *args)
    dialog = app.dialog()
    press_f1(dialog)
    error_popup(app, f"{missing}: No such file or directory").press("Close")
    wait_until(lambda: dialog.is_active(), "the dialog to be active again")
    assert [w.title for w in app.windows()] == [dialog.title]
    dialog.key("Escape")
    assert app.finish() == (escape_code, b"", b"")


@pytest.mark.wayland
def test_keys_reach_the_dialog_with_help_set(wrenpane):
    app = wrenpane.start("--hmsg", "help", "--inputbox", "name?", 0, 0)
    dialog = app.dialog()
    press_f1(dialog)
    app.dialog().press("Close")
    dialog.type("abc", into=the_entry(dialog))
    dialog.key("Return")
    assert app.finish() == (0, b"", b"abc\n")


# On Wayland each call of send_keys is a keyboard of its own, as an on-screen
# keyboard beside a real one is: the key that closes the help comes from
# another device than the F1 that opened it. (The file viewer has no default
# button: Return does not close it.)
@pytest.mark.wayland
@pytest.mark.parametrize("help_option, closing_key",
                         [("--hmsg", "Escape"), ("--hmsg", "Return"), ("--hfile", "Escape")])
def test_the_key_that_closes_the_help_stays_with_it(wrenpane, tmp_path, help_option,
                                                    closing_key):
    help_file = tmp_path / "help.txt"
    help_file.write_text("How to use this dialog.\n")
    value = "Some help" if help_option == "--hmsg" else help_file
    app = wrenpane.start(help_option, value, "--inputbox", "b", 10, 40, "typed")
    dialog = app.dialog()
    press_f1(dialog)
    app.dialog().key(closing_key)
    wait_until(lambda: app.proc.poll() is not None
               or [w.title for w in app.windows()] == [dialog.title], "the help to close")
    assert app.proc.poll() is None, f"the key reached the dialog under the help: {app.finish()}"
    wait_until(dialog.is_active, "the dialog to be active again")
    assert text_of(the_entry(dialog)) == "typed"
    dialog.key("Return")
    assert app.finish() == (0, b"", b"typed\n")


def test_chain_goes_on_after_a_big_file(wrenpane, tmp_path):
    path = tmp_path / "big.txt"
    data, shown = big_file_bytes()
    path.write_bytes(data)
    app = wrenpane.start("--textbox", path, 0, 0, "--and-dialog", "--msgbox", "next", 0, 0)
    dialog = app.dialog()
    wait_for_view_text(dialog, shown)
    dialog.press("Exit")
    app.dialog().press("OK")
    assert app.finish() == (0, b"", b"")
