"""The program in the user's language: its own texts come from the
catalogues (buttons keep their mnemonics, screen readers hear the label
without the underscore), right-to-left languages mirror the window, and
answers, exit codes, --help and --version are the same in every language."""

import subprocess

import pyatspi
import pytest

from harness import language_env, mnemonic_key, position, progress_of, text_of, translated, wait_until

BUTTON = pyatspi.ROLE_PUSH_BUTTON
SPIN = pyatspi.ROLE_SPIN_BUTTON

# A dialog and the texts of its own that it shows: (role, message) for a
# named widget, (None, message) for a label's text.
OWN_TEXTS = {
    "yesno": (
        ["--extra-button", "--help-button", "--yesno", "Sure?", 0, 0],
        [(BUTTON, "_Yes"), (BUTTON, "_No"), (BUTTON, "_Extra"), (BUTTON, "_Help")],
    ),
    "passwordbox": (
        ["--passwordbox", "Secret", 0, 0],
        [(BUTTON, "_OK"), (BUTTON, "_Cancel"), (pyatspi.ROLE_CHECK_BOX, "_Show password")],
    ),
    "datebox": (
        ["--datebox", "When?", 0, 0, 24, 12, 2026],
        [(SPIN, "Day"), (SPIN, "Year"), (None, "Day: "), (None, "Month: "), (None, "Year: ")],
    ),
    "timebox": (
        ["--timebox", "When?", 0, 0, 1, 2, 3],
        [(SPIN, "Hours"), (SPIN, "Minutes"), (SPIN, "Seconds")],
    ),
    "buildlist": (
        ["--buildlist", "Pick", 0, 0, 0, "a", "Alpha", "on"],
        [(BUTTON, "_Add"), (BUTTON, "_Remove"), (pyatspi.ROLE_TREE_TABLE, "Available items"),
         (pyatspi.ROLE_TREE_TABLE, "Chosen items")],
    ),
    "mixedgauge": (
        ["--mixedgauge", "Status", 0, 0, "--", 50, "a", -1, "b", -2, "c", -11],
        [(pyatspi.ROLE_PROGRESS_BAR, "Success"), (pyatspi.ROLE_PROGRESS_BAR, "Failed"),
         (pyatspi.ROLE_PROGRESS_BAR, "Pending")],
    ),
}


@pytest.mark.parametrize("language", ["C", "de", "ja", "ar"])
@pytest.mark.parametrize("dialog_name", OWN_TEXTS)
@pytest.mark.installed
def test_own_texts_are_in_the_users_language(wrenpane, language, dialog_name):
    args, texts = OWN_TEXTS[dialog_name]
    app = wrenpane.start(*args, env=language_env(language))
    dialog = app.dialog()
    for role, message in texts:
        shown = translated(language, message)
        if role is None:
            assert shown in dialog.labels()
        else:
            dialog.find(role, shown)  # fails when there is none of that name
    dialog.key("Escape")
    assert app.finish().code == 5


@pytest.mark.parametrize("language", ["de", "fr", "pt_BR", "he"])
def test_diagnostics_are_translated_but_not_option_names(wrenpane, language):
    code, out, err = wrenpane.run("--output-fd", "abc", "--msgbox", "hi", 0, 0, env=language_env(language))
    message = translated(language, "--output-fd %s is not a number") % "abc"
    assert (code, out, err.decode()) == (255, b"", f"wrenpane: {message}\n")
    assert "--output-fd" in message


def test_messages_come_in_the_locales_character_set(wrenpane):
    """Under a Latin-1 locale our own messages are Latin-1, as the C
    library's are, and not UTF-8 beside them."""
    env = {"LC_ALL": "de_DE.ISO-8859-1", "LANGUAGE": "de"}
    # A directory is no theme; /dev/full takes no theme (ENOSPC, whose German
    # text has an umlaut).
    code, out, err = wrenpane.run("--load-theme", "/", "--save-theme", "/dev/full",
                                  "--stdout", "--print-maxsize", env=env)
    assert code == 0 and out.startswith(b"MaxSize: ")
    ours = translated("de", "Error opening file %s: not a regular file") % "/"
    assert f"wrenpane: {ours}\n".encode("latin-1") in err
    assert "/dev/full: Auf dem Gerät".encode("latin-1") in err


# LANGUAGE as the user sets it, and the catalogue whose text then shows. A
# region with no catalogue of its own falls back as gettext does, to its
# language and never to a sibling region: zh_HK reaches zh_TW only when
# LANGUAGE lists it after zh_HK, as Hong Kong users set it.
@pytest.mark.parametrize(
    "language, catalogue",
    [("pt", "pt"), ("zh_TW", "zh_TW"), ("pt_PT", "pt"), ("de_AT", "de"), ("zh_HK:zh_TW", "zh_TW"), ("zh_HK", "C")],
)
def test_a_language_finds_its_catalogue_or_falls_back_as_gettext_does(wrenpane, language, catalogue):
    code, out, err = wrenpane.run("--output-fd", "abc", "--msgbox", "hi", 0, 0,
                                  env={"LC_ALL": "C.UTF-8", "LANGUAGE": language})
    message = translated(catalogue, "--output-fd %s is not a number") % "abc"
    assert (code, err.decode()) == (255, f"wrenpane: {message}\n")


@pytest.mark.parametrize("language", ["C", "de", "he", "ar", "fa", "ur", "ps", "ug"])
def test_right_to_left_languages_mirror_the_window(wrenpane, language):
    mirrored = language in ("he", "ar", "fa", "ur", "ps", "ug")
    app = wrenpane.start("--form", "Sign in", 0, 0, 0, "Name:", 1, 1, "", 1, 10, 20, 0,
                         env=language_env(language))
    dialog = app.dialog()
    ok = dialog.find(BUTTON, translated(language, "_OK"))
    cancel = dialog.find(BUTTON, translated(language, "_Cancel"))
    assert (position(ok)[0] < position(cancel)[0]) == mirrored
    field_label = dialog.find(pyatspi.ROLE_LABEL, "Name:")
    field = dialog.find(pyatspi.ROLE_TEXT)
    assert (position(field)[0] < position(field_label)[0]) == mirrored
    # The dialog text, left to right in itself, starts at the window's
    # right-hand side when the window is mirrored.
    text = dialog.find(pyatspi.ROLE_LABEL, "Sign in").queryText()
    first = text.getCharacterExtents(0, pyatspi.DESKTOP_COORDS)
    window = dialog.extents()
    assert (first[0] > window[0] + window[2] // 2) == mirrored
    dialog.key("Escape")
    assert app.finish().code == 5


# A file of a right-to-left paragraph, a left-to-right one and one without
# a direction of its own, which takes the window's.
MIXED_FILE = "שלום עולם\nHello world\n12345\n"


def line_edges(text, start: int, end: int) -> tuple[int, int]:
    """The left and right edges on screen of the characters start to end."""
    boxes = [text.getCharacterExtents(offset, pyatspi.DESKTOP_COORDS) for offset in range(start, end)]
    return min(b[0] for b in boxes), max(b[0] + b[2] for b in boxes)


@pytest.mark.wayland
@pytest.mark.parametrize("language", ["C", "he", "ar"])
def test_file_lines_align_to_the_side_of_their_direction(wrenpane, tmp_path, language):
    mirrored = language in ("he", "ar")
    path = tmp_path / "mixed.txt"
    path.write_text(MIXED_FILE)
    app = wrenpane.start("--textbox", path, 12, 50, env=language_env(language))
    dialog = app.dialog()
    view = dialog.find(pyatspi.ROLE_TEXT)
    wait_until(lambda: text_of(view) == MIXED_FILE, "the file to be shown")
    box = view.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    left, right = box.x, box.x + box.width
    text = view.queryText()
    near = 4  # pixels: the view draws its text against its edges

    def aligned(start, end):
        first, last = line_edges(text, start, end)
        assert left <= first < last <= right
        return "left" if first - left <= near else "right" if right - last <= near else "neither"

    hebrew, english, digits = (0, 9), (10, 21), (22, 27)
    assert aligned(*hebrew) == "right"
    assert aligned(*english) == "left"
    assert aligned(*digits) == ("right" if mirrored else "left")
    # The character under a point is the one drawn there.
    x, y, width, height = text.getCharacterExtents(1, pyatspi.DESKTOP_COORDS)
    assert text.getOffsetAtPoint(x + width // 2, y + height // 2, pyatspi.DESKTOP_COORDS) == 1
    dialog.key("Escape")
    assert app.finish().code == 5


def test_a_long_paragraph_keeps_its_direction_past_its_first_part(wrenpane, tmp_path):
    # The viewer lays out a long paragraph in parts; a part that starts with
    # English words is still part of a Hebrew paragraph.
    paragraph = "שלום " + "word " * 3000 + "end\n"
    path = tmp_path / "long.txt"
    path.write_text(paragraph)
    app = wrenpane.start("--textbox", path, 12, 50)
    dialog = app.dialog()
    view = dialog.find(pyatspi.ROLE_TEXT)
    wait_until(lambda: text_of(view) == paragraph, "the file to be shown")
    box = view.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    text = view.queryText()
    _, start, end = text.getTextAtOffset(len(paragraph) - 2, pyatspi.TEXT_BOUNDARY_LINE_START)
    first, last = line_edges(text, start, end - 1)  # without the line break
    assert box.x + box.width - last <= 4 and first - box.x > box.width // 2
    dialog.key("Escape")
    assert app.finish().code == 5


@pytest.mark.wayland
@pytest.mark.parametrize("language", ["C", "he", "ar"])
def test_time_reads_hours_minutes_seconds_from_left_to_right(wrenpane, language):
    app = wrenpane.start("--timebox", "When?", 0, 0, 7, 30, 0, env=language_env(language))
    dialog = app.dialog()
    fields = [dialog.find(SPIN, translated(language, name)) for name in ("Hours", "Minutes", "Seconds")]
    assert [text_of(field) for field in fields] == ["07", "30", "00"]
    lefts = [position(field)[0] for field in fields]
    assert lefts == sorted(lefts)
    dialog.key("Escape")
    assert app.finish().code == 5


# The bars' percentages as each language writes them; the number is never
# translated.
@pytest.mark.wayland
@pytest.mark.parametrize("language, shown", [("C", "40 %"), ("pl", "40%"), ("he", "40%"),
                                             ("ar", "40 \u066a")])
def test_percentages_are_written_as_the_language_writes_them(wrenpane, language, shown):
    env = language_env(language)
    for args, kwargs in ((["--gauge", "Copying", 0, 0, 40], {"stdin": subprocess.PIPE}),
                         (["--mixedgauge", "Status", 0, 0, 40, "a", 40], {})):
        app = wrenpane.start(*args, env=env, **kwargs)
        dialog = app.dialog()
        bars = dialog.progress_bars()
        assert [progress_of(bar)[0] for bar in bars] == [shown] * len(bars), args[0]
        dialog.key("Escape")
        assert app.finish().code == 5


# Dialogs answered by a button as they start, or closed with Escape (None):
# the answers and exit codes must be byte for byte those of the untranslated
# program.
ANSWERED = {
    "inputbox": (["--inputbox", "Name?", 0, 0, "Grüße, שלום"], "_OK"),
    "checklist": (["--separate-output", "--checklist", "Pick", 0, 0, 0,
                   "a", "Alpha", "on", "b", "Beta", "off", "c", "Gamma", "on"], "_OK"),
    "radiolist": (["--radiolist", "Pick", 0, 0, 0, "a", "Alpha", "off", "b", "Beta", "on"], "_OK"),
    "buildlist": (["--buildlist", "Pick", 0, 0, 0, "a", "Alpha", "off", "b", "Beta", "on"], "_OK"),
    "menu": (["--default-item", "two", "--menu", "Pick", 0, 0, 0, "one", "1", "two", "2"], "_OK"),
    "datebox": (["--date-format", "%d.%m.%Y", "--datebox", "When?", 0, 0, 24, 12, 2026], "_OK"),
    "timebox": (["--timebox", "When?", 0, 0, 13, 14, 15], "_OK"),
    "rangebox": (["--rangebox", "How many?", 0, 0, 1, 10, 7], "_OK"),
    "form": (["--form", "Who?", 0, 0, 0, "Name:", 1, 1, "Ada", 1, 10, 20, 0,
              "Town:", 2, 1, "Zürich", 2, 10, 20, 0], "_OK"),
    "yesno": (["--yesno", "Sure?", 0, 0], "_No"),
    "escape": (["--msgbox", "Hi", 0, 0], None),
}


@pytest.mark.parametrize("dialog_name", ANSWERED)
def test_answers_and_exit_codes_do_not_depend_on_the_language(wrenpane, dialog_name):
    args, button = ANSWERED[dialog_name]

    def answer(language):
        app = wrenpane.start(*args, env=language_env(language))
        app.dialog().close_with("Escape" if button is None else translated(language, button))
        return app.finish()

    untranslated = answer("C")
    assert untranslated.code in (0, 1, 5)
    for language in ("de", "he", "ar", "ja"):
        assert answer(language) == untranslated, language


@pytest.mark.parametrize(
    "language, args, button, code",
    [
        ("C", ["--yesno", "Sure?", 0, 0], "_No", 1),
        ("C", ["--defaultno", "--yesno", "Sure?", 0, 0], "_Yes", 0),
        ("C", ["--extra-button", "--yesno", "Sure?", 0, 0], "_Extra", 3),
        ("C", ["--help-button", "--msgbox", "Hi", 0, 0], "_Help", 2),
        ("de", ["--yesno", "Sure?", 0, 0], "_No", 1),
        ("ja", ["--defaultno", "--yesno", "Sure?", 0, 0], "_Yes", 0),
    ],
)
def test_alt_and_a_mnemonic_presses_its_button(wrenpane, language, args, button, code):
    app = wrenpane.start(*args, env=language_env(language))
    app.dialog().key("alt+" + mnemonic_key(language, button))
    assert app.finish().code == code


@pytest.mark.parametrize("language", ["C", "de"])
@pytest.mark.installed
def test_alt_and_a_mnemonic_answers_an_inputbox(wrenpane, language):
    app = wrenpane.start("--defaultno", "--inputbox", "Name?", 0, 0, "Ada", env=language_env(language))
    app.dialog().key("alt+" + mnemonic_key(language, "_OK"))
    assert app.finish() == (0, b"", b"Ada\n")


@pytest.mark.parametrize("option", ["--help", "--version"])
def test_help_and_version_are_never_translated(wrenpane, option):
    assert wrenpane.run(option, env=language_env("de")) == wrenpane.run(option, env=language_env("C"))
