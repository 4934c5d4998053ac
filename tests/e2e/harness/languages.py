"""Runs in another language, and the texts expected there, read from the
catalogues that the build compiled."""

from __future__ import annotations

import gettext
import re

from .session import BUILD_DIR


# The message catalogues that the build compiled, which give the texts
# expected in each language.
CATALOGUES = BUILD_DIR / "locale"
# Languages with a locale of their own (scripts/install-deps makes them);
# the others run in C.UTF-8, where LANGUAGE still picks the catalogue.
LOCALES = {"de": "de_DE.UTF-8", "he": "he_IL.UTF-8"}


def language_env(language: str) -> dict:
    """The environment of a run in ``language`` ("C" for the untranslated
    program)."""
    if language == "C":
        return {"LC_ALL": "C.UTF-8"}
    return {"LC_ALL": LOCALES.get(language, "C.UTF-8"), "LANGUAGE": language}


def catalogue_text(language: str, message: str) -> str:
    """``message`` as the catalogue of ``language`` translates it."""
    if language == "C":
        return message
    return gettext.translation("wrenpane", CATALOGUES, [language]).gettext(message)


def translated(language: str, message: str) -> str:
    """``message`` as the program shows it in ``language``: its catalogue's
    translation, without the underscore that marks a mnemonic."""
    return re.sub(r"_(.)", r"\1", catalogue_text(language, message))


def mnemonic_key(language: str, message: str) -> str:
    """The key that, with Alt, presses the button labelled ``message``."""
    text = catalogue_text(language, message)
    return text[text.index("_") + 1].lower()
