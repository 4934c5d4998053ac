"""Every catalogue in po/ translates every message of the template that the
build extracts from the sources, with the same format directives and one
mnemonic where the original has one. Runs on the build tree in
WRENPANE_BUILD_DIR (set by ctest)."""

import os
import re
import subprocess
from pathlib import Path

import pytest

REPO = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("WRENPANE_BUILD_DIR", REPO / "build" / "asan")).resolve()
TEMPLATE = BUILD / "po" / "wrenpane.pot"
CATALOGUES = sorted((REPO / "po").glob("*.po"))


def template_messages() -> int:
    """How many messages the template has (msgfmt counts them, all
    untranslated)."""
    counted = subprocess.run(
        ["msgfmt", "--statistics", "--output-file=/dev/null", str(TEMPLATE)], capture_output=True, check=True
    ).stderr.decode()
    return int(re.search(r"(\d+) untranslated message", counted).group(1))


def test_the_languages_promised_are_there():
    assert {c.stem for c in CATALOGUES} >= {
        "de", "fr", "es", "it", "pt_BR", "ru", "pl", "ja", "zh_CN", "he", "ar"
    }


@pytest.mark.parametrize("catalogue", CATALOGUES, ids=lambda path: path.stem)
def test_catalogue_is_complete_and_agrees_with_the_template(catalogue):
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
