"""Where each dialog's answer goes and when it is written: on the chosen
output descriptor only, for OK and Extra (and for Help on the list dialogs,
as "HELP " and the selected name), and nothing for Cancel or Escape. One
table over the dialogs that write an answer. An answer that cannot be
written is an error, which ends the chain."""

from dataclasses import dataclass
from typing import Callable

import pyatspi
import pytest

from harness import field, set_value


@dataclass
class AnsweringDialog:
    name: str
    args: list
    answer: bytes  # written for OK and Extra
    help_answer: bytes = b""  # written for Help
    # Changes the dialog before it is closed, so that the answer is the
    # user's and not only the initial value.
    prepare: Callable = None


def move_slider(dialog):
    set_value(dialog.find(pyatspi.ROLE_SLIDER), 64)


FRUIT = ["apple", "Red", "on", "pear", "Green", "off", "a b", "Blue", "ON"]

DIALOGS = [
    AnsweringDialog("inputbox", ["--inputbox", "t", 0, 0, 'a "b" c'], b'a "b" c\n'),
    AnsweringDialog(
        "form",
        ["--form", "t", 0, 0, "3", *field("Name", "Ann Lee"), *field("Empty", ""),
         *field("Quote", '"x" y')],
        b'Ann Lee\n\n"x" y\n',
    ),
    AnsweringDialog("rangebox", ["--rangebox", "t", 0, 0, "0", "100", "42"], b"64\n",
                    prepare=move_slider),
    AnsweringDialog("menu",
                    ["--default-item", "pear", "--menu", "Pick", 0, 0, 5, "apple", "Red", "pear",
                     "Green"],
                    b"pear\n", b"HELP pear\n"),
    AnsweringDialog("checklist", ["--default-item", "pear", "--checklist", "Pick", 0, 0, 5, *FRUIT],
                    b'"apple" "a b"\n', b"HELP pear\n"),
]

# The button pressed (or the Escape key), the exit code and which of the
# dialog's answers is written.
CLOSINGS = [
    pytest.param("OK", 0, "answer", id="OK"),
    pytest.param("Extra", 3, "answer", id="Extra"),
    pytest.param("Help", 2, "help_answer", id="Help"),
    pytest.param("Cancel", 1, None, id="Cancel"),
    pytest.param("Escape", 5, None, id="Escape"),
]

DESCRIPTORS = [
    pytest.param([], 2, id="default"),
    pytest.param(["--stdout"], 1, id="stdout"),
    pytest.param(["--output-fd", "3"], 3, id="fd3"),
]


@pytest.mark.parametrize("output_args, fd", DESCRIPTORS)
@pytest.mark.parametrize("button, code, written", CLOSINGS)
@pytest.mark.parametrize("answering", DIALOGS, ids=lambda d: d.name)
def test_answer_only_on_the_chosen_descriptor(wrenpane, answering, button, code, written,
                                              output_args, fd):
    app = wrenpane.start(*output_args, "--extra-button", "--help-button", *answering.args,
                         fds=(3,))
    dialog = app.dialog()
    if answering.prepare:
        answering.prepare(dialog)
    dialog.close_with(button)
    result = app.finish()
    streams = {1: result.stdout, 2: result.stderr, 3: app.fds[3]}
    expected = getattr(answering, written) if written else b""
    assert result.code == code
    assert streams == {n: expected if n == fd else b"" for n in (1, 2, 3)}


# --- Answers that cannot be written -------------------------------------------

# Where the answer goes, how the descriptor fails, and the reason given on
# standard error (none when standard error is the failing descriptor).
# Descriptors closed at start-up are in test_odd_input.
FAILING_DESCRIPTORS = [
    pytest.param(["--output-fd", "3"], {"opened": {3: "/dev/full"}}, "No space left on device",
                 id="full"),
    pytest.param(["--output-fd", "3"], {"closed": [3]}, "Broken pipe", id="reader-gone"),
    pytest.param(["--stdout"], {"closed": [1]}, "Broken pipe", id="stdout-reader-gone"),
    pytest.param(["--output-fd", "99"], {}, "Bad file descriptor", id="never-open"),
    pytest.param([], {"closed": [2]}, None, id="stderr-reader-gone"),
]

FAILED_ANSWERS = [
    pytest.param(["--inputbox", "q", 0, 0, "hello"], id="inputbox"),
    pytest.param(["--checklist", "Pick", 0, 0, 5, *FRUIT], id="checklist"),
    pytest.param(["--form", "t", 0, 0, "2", *field("Name", "Ann"), *field("City", "Rome")],
                 id="form"),
]


def write_failure(reason: str | None) -> bytes:
    return f"wrenpane: cannot write the answer: {reason}\n".encode() if reason else b""


@pytest.mark.parametrize("args", FAILED_ANSWERS)
@pytest.mark.parametrize("output_args, plumbing, reason", FAILING_DESCRIPTORS)
def test_answer_that_cannot_be_written_ends_the_chain_with_error(wrenpane, args, output_args,
                                                                 plumbing, reason):
    # The dialog after it never shows: finish() would wait for it in vain.
    app = wrenpane.start(*output_args, *args, "--and-dialog", "--msgbox", "never shown", 0, 0,
                         **plumbing)
    app.dialog().press("OK")
    code, _, stderr = app.finish()
    assert (code, stderr) == (255, write_failure(reason))


@pytest.mark.parametrize(
    "args, code",
    [
        pytest.param(["--print-version"], 255, id="print-version"),
        pytest.param(["--print-maxsize"], 255, id="print-maxsize"),
        pytest.param(["--error-exit-code", "7", "--print-version"], 7, id="remapped"),
    ],
)
def test_print_only_line_that_cannot_be_written_ends_the_chain_with_error(wrenpane, args, code):
    # The segment's own dialog never shows: run() would wait for it in vain.
    result = wrenpane.run("--output-fd", "3", *args, "--msgbox", "never shown", 0, 0,
                          opened={3: "/dev/full"})
    assert result == (code, b"", write_failure("No space left on device"))


def test_size_line_that_cannot_be_written_ends_the_chain_with_error(wrenpane):
    app = wrenpane.start("--output-fd", "3", "--print-size", "--msgbox", "one", 0, 0,
                         "--and-dialog", "--msgbox", "never shown", 0, 0, closed=[3])
    app.dialog().press("OK")
    assert app.finish() == (255, b"", write_failure("Broken pipe"))
