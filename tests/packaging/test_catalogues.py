"""Every language that po/LINGUAS lists has a catalogue that translates
every message of the template that the build extracts from the sources, with
the same format directives, one mnemonic where the original has one, and no
mnemonic shared by two buttons shown together. Runs on the build tree in
WRENPANE_BUILD_DIR (set by ctest)."""

import gettext
import os
import re
import subprocess
from pathlib import Path

import pytest

REPO = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("WRENPANE_BUILD_DIR", REPO / "build" / "asan")).resolve()
TEMPLATE = BUILD / "po" / "wrenpane.pot"
LANGUAGES = [
    line.strip() for line in (REPO / "po" / "LINGUAS").read_text().splitlines() if line.strip() and line[0] != "#"
]

# The labels that share a window: the button bars of the dialogs (each may
# gain the extra and help buttons; the inputmenu's extra button is Rename),
# the password entry's check box with its bar, the buildlist's move buttons
# with its bar. The file viewer's single button stands alone.
SHOWN_TOGETHER = [
    ("_Cancel", "_Extra", "_OK", "_Help", "_Show password"),
    ("_Cancel", "_Extra", "_OK", "_Help", "_Add", "_Remove"),
    ("_Yes", "_No", "_Extra", "_Help"),
    ("_Cancel", "_Rename", "_OK", "_Help"),
]


def template_messages() -> int:
    """How many messages the template has (msgfmt counts them, all
    untranslated)."""
    counted = subprocess.run(
        ["msgfmt", "--statistics", "--output-file=/dev/null", str(TEMPLATE)], capture_output=True, check=True
    ).stderr.decode()
    return int(re.search(r"(\d+) untranslated message", counted).group(1))


def test_the_languages_promised_are_there():
    assert set(LANGUAGES) >= {
        "de", "fr", "es", "it", "pt_BR", "ru", "pl", "ja", "zh_CN", "he", "ar",
        "pt", "zh_TW", "ko", "hi", "bn", "id", "tr", "vi", "uk", "nl", "sv", "cs", "hu", "ro", "el", "fi",
        "da", "nb", "sk", "ca", "bg", "fa", "ur", "ps", "ug", "th", "ta", "te", "mr", "gu", "kn", "pa",
    }


def test_linguas_lists_exactly_the_catalogues_in_po():
    # A catalogue missing from the list would be neither built nor tested.
    assert sorted(LANGUAGES) == sorted(path.stem for path in (REPO / "po").glob("*.po"))


@pytest.mark.parametrize("language", LANGUAGES)
def test_catalogue_is_complete_and_agrees_with_the_template(language):
    catalogue = REPO / "po" / f"{language}.po"
    # Merged with the template, a catalogue takes the template's flags (its
    # "c-format" marks) and keeps only the template's messages: any that are
    # missing, changed in the sources or left fuzzy come out untranslated.
    merged = subprocess.run(
        ["msgmerge", "--quiet", "--no-fuzzy-matching", "--output-file=-", str(catalogue), str(TEMPLATE)],
        capture_output=True, check=True,
    ).stdout
    checked = subprocess.run(
        ["msgfmt", "--check", "--check-accelerators=_", "--statistics", "--output-file=/dev/null", "-"],
        input=merged, capture_output=True,
    )
    assert checked.returncode == 0, checked.stderr.decode()
    assert checked.stderr.decode().strip() == f"{template_messages()} translated messages."
    # Nothing the sources no longer have lingers in the file.
    assert "#~" not in catalogue.read_text()


def mnemonic(label: str) -> str:
    return label[label.index("_") + 1].lower()


@pytest.mark.parametrize("language", LANGUAGES)
def test_buttons_shown_together_have_their_own_mnemonics(language):
    compiled = BUILD / "locale" / language / "LC_MESSAGES" / "wrenpane.mo"
    with compiled.open("rb") as mo:
        catalogue = gettext.GNUTranslations(mo)
    for labels in SHOWN_TOGETHER:
        translated = [catalogue.gettext(label) for label in labels]
        keys = [mnemonic(label) for label in translated]
        assert len(set(keys)) == len(keys), translated
