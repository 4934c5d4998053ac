"""The bash completion, called as bash calls it: COMP_WORDS split the way
bash splits the command line, COMP_CWORD the word under the cursor."""

import subprocess
from pathlib import Path

import pytest

SCRIPT = Path(__file__).resolve().parents[2] / "completions" / "wrenpane"

RUN = 'source "$0"; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _wrenpane; printf "%s\\n" "${COMPREPLY[@]}"'


def complete(*words: str) -> list[str]:
    """What the completion offers for the command line ``wrenpane words``,
    the cursor at the end of the last word."""
    done = subprocess.run(
        ["bash", "-c", RUN, str(SCRIPT), "wrenpane", *words],
        capture_output=True,
        text=True,
        check=True,
        timeout=30,
    )
    assert done.stderr == ""
    return sorted(line for line in done.stdout.splitlines() if line)


@pytest.mark.parametrize(
    "words, offered",
    [
        (["--msg"], ["--msgbox"]),
        (["--no-c"], ["--no-cancel"]),
        (["--de"], ["--default-button", "--default-item", "--default-no", "--defaultno"]),
        # Options may follow a dialog's arguments.
        (["--msgbox", "hi", "0", "0", "--ti"], ["--time-format", "--timebox", "--timeout", "--timeout-exit-code", "--title"]),
        # After "--" only the separators are options; after one, all are again.
        (["--rangebox", "r", "0", "0", "--", "-"], ["--and-dialog", "--and-widget"]),
        (["--rangebox", "r", "0", "0", "--", "-1", "1", "--and-dialog", "--yes"], ["--yes-label", "--yesno"]),
    ],
)
def test_option_names(words, offered):
    assert complete(*words) == offered


@pytest.mark.parametrize(
    "words",
    [
        # A dialog's text, sizes and arguments.
        ["--msgbox", ""],
        ["--msgbox", "hi", "0", "0", ""],
        ["--checklist", "pick", "0", "0", "0", "a", "b", ""],
        # The values of options that take no file, even when they look like options.
        ["--title", ""],
        ["--title", "--"],
        ["--output-fd", "-"],
        ["--title", "=", ""],
    ],
)
def test_nothing_where_the_user_types_a_value(words):
    assert complete(*words) == []


@pytest.mark.parametrize("option", ["--textbox", "--fselect", "--hfile", "--load-theme", "--save-theme"])
@pytest.mark.parametrize("split", [False, True], ids=["space", "equals"])
def test_file_names_where_a_file_is_expected(tmp_path, option, split):
    (tmp_path / "notes.txt").write_text("")
    (tmp_path / "theme.css").write_text("")
    (tmp_path / "a dir").mkdir()
    words = [option, "=", f"{tmp_path}/"] if split else [option, f"{tmp_path}/"]
    assert complete(*words) == [f"{tmp_path}/a dir", f"{tmp_path}/notes.txt", f"{tmp_path}/theme.css"]
    words[-1] = f"{tmp_path}/n"
    assert complete(*words) == [f"{tmp_path}/notes.txt"]


def test_folder_names_after_dselect(tmp_path):
    (tmp_path / "notes.txt").write_text("")
    (tmp_path / "a dir").mkdir()
    assert complete("--dselect", f"{tmp_path}/") == [f"{tmp_path}/a dir"]


def test_registered_without_a_fallback_to_file_names():
    done = subprocess.run(
        ["bash", "-c", 'source "$0"; complete -p wrenpane', str(SCRIPT)],
        capture_output=True,
        text=True,
        check=True,
        timeout=30,
    )
    assert done.stdout == "complete -F _wrenpane wrenpane\n"
