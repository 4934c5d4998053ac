"""Under a locale whose character set is not UTF-8 (Latin-1 here), text from
the command line and from files is shown converted from that character set,
and every answer is written in it: typed text converted, text left as it
was byte for byte as given, and never a U+FFFD in its UTF-8 bytes."""

import subprocess

import pyatspi
import pytest

from harness import entries, field, focus, table_cells, text_of, the_entry, translated, wait_for_text, wait_until

pytestmark = pytest.mark.wayland

LATIN1 = {"LC_ALL": "de_DE.ISO-8859-1", "LANGUAGE": "de"}
SIZE = "Größe"
SIZE_LATIN1 = SIZE.encode("latin-1")  # b"Gr\xf6\xdfe"


def latin1_locale_is_installed() -> bool:
    names = subprocess.run(["locale", "-a"], capture_output=True, text=True, check=True).stdout
    return "de_DE.iso88591" in names.split()


@pytest.fixture(autouse=True)
def needs_latin1_locale():
    if not latin1_locale_is_installed():
        pytest.skip("de_DE.ISO-8859-1 is not generated (scripts/install-deps makes it)")


def ok(dialog):
    dialog.press(translated("de", "_OK"))


def test_command_line_text_is_shown_converted(wrenpane):
    app = wrenpane.start("--title", SIZE_LATIN1, "--ok-label", SIZE_LATIN1,
                         "--msgbox", SIZE_LATIN1, 0, 0, "--and-dialog",
                         "--inputbox", "t", 0, 0, SIZE_LATIN1, "--and-dialog",
                         "--menu", "t", 0, 0, 0, "tag", SIZE_LATIN1, env=LATIN1)
    message = app.dialog()
    assert (message.title, message.labels(), message.button_names()) == (SIZE, [SIZE], [SIZE])
    message.press(SIZE)
    inputbox = app.dialog()
    assert text_of(the_entry(inputbox)) == SIZE
    ok(inputbox)
    menu = app.dialog()
    cells = table_cells(menu.find(pyatspi.ROLE_TREE_TABLE))
    assert [cell.name for cell in cells[0]] == ["tag", SIZE]
    ok(menu)
    assert app.finish() == (0, b"", SIZE_LATIN1 + b"\ntag\n")


def type_at_end(dialog, entry, text: str, shown: str):
    focus(entry)  # selects the whole text
    dialog.key("End")
    dialog.type(text)
    wait_for_text(entry, shown)


def typed_into_empty_inputbox(dialog):
    type_at_end(dialog, the_entry(dialog), "üé", "üé")


def typed_outside_latin_1(dialog):
    type_at_end(dialog, the_entry(dialog), "€✓", "€✓")


def edited_initial_value(dialog):
    type_at_end(dialog, the_entry(dialog), "ü", SIZE + "ü")


def edited_form_field(dialog):
    type_at_end(dialog, entries(dialog)[1], "ß", "éß")


def untouched(dialog):
    pass


# Each dialog, what the user does in it before OK, and the answer as the
# locale's character set writes it. A character that Latin-1 lacks is
# approximated as the C library approximates it.
ANSWERS = {
    "typed": (["--inputbox", "t", 0, 0], typed_into_empty_inputbox, "üé\n".encode("latin-1")),
    "typed-not-in-latin-1": (["--inputbox", "t", 0, 0], typed_outside_latin_1, b"EUR?\n"),
    "edited-initial": (["--inputbox", "t", 0, 0, SIZE_LATIN1], edited_initial_value,
                       SIZE_LATIN1 + b"\xfc\n"),
    "unchanged-initial": (["--inputbox", "t", 0, 0, SIZE_LATIN1 + b"\x81"], untouched,
                          SIZE_LATIN1 + b"\x81\n"),
    "form": (["--form", "t", 0, 0, 2, *field(SIZE_LATIN1, SIZE_LATIN1),
              *field("b", "é".encode("latin-1"))], edited_form_field,
             SIZE_LATIN1 + b"\n" + "éß\n".encode("latin-1")),
    "calendar-month": (["--date-format", "%B", "--calendar", "t", 0, 0, 5, 3, 2026], untouched,
                       b"M\xe4rz\n"),
    "checklist-tag": (["--separate-output", "--checklist", "t", 0, 0, 0, SIZE_LATIN1, "d", "on"],
                      untouched, SIZE_LATIN1 + b"\n"),
}


@pytest.mark.parametrize("case", ANSWERS)
def test_answers_are_in_the_locales_character_set(wrenpane, case):
    args, act, answer = ANSWERS[case]
    app = wrenpane.start(*args, env=LATIN1)
    dialog = app.dialog()
    act(dialog)
    ok(dialog)
    assert app.finish() == (0, b"", answer)


def test_a_file_is_shown_converted(wrenpane, tmp_path):
    path = tmp_path / "latin-1.txt"
    text = "Größe und Maße\n" * 3
    path.write_bytes(text.encode("latin-1"))
    app = wrenpane.start("--textbox", path, 0, 0, env=LATIN1)
    dialog = app.dialog()
    view = dialog.find(pyatspi.ROLE_TEXT)
    wait_until(lambda: text_of(view) == text, "the file's text")
    dialog.key("Escape")
    assert app.finish().code == 5
