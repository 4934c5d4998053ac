"""Start-up: --help and --version wherever they stand, and the hand-over to
the terminal utility when there is no display."""

from pathlib import Path

import pytest

from harness import VERSION_LINE as VERSION, catalogue_text, language_env, program_on_path

pytestmark = pytest.mark.wayland

HELP = (Path(__file__).parent / "expected" / "help.txt").read_bytes()


@pytest.mark.parametrize(
    "args, stdout",
    [
        (["--help"], HELP),
        (["--version"], VERSION),
        (["--help", "--version"], HELP),
        (["--version", "--help"], VERSION),
        # Whole-argument match, whatever role the argument would have had.
        (["--title", "--help", "--msgbox", "hi", "5", "20"], HELP),
        (["--msgbox", "--version", "5", "20"], VERSION),
        (["--msgbox", "hi", "5", "20", "--and-dialog", "--bogus", "--help"], HELP),
        # --version ignores the output descriptor options.
        (["--stderr", "--output-fd", "7", "--version"], VERSION),
    ],
)
@pytest.mark.installed
def test_help_and_version_win_anywhere(wrenpane, args, stdout):
    assert wrenpane.run(*args) == (0, stdout, b"")


@pytest.mark.parametrize("arg", ["--help=x", "--versions"])
def test_near_misses_reach_the_option_parser(wrenpane, arg):
    code, stdout, stderr = wrenpane.run(arg, "--msgbox", "hi", "5", "20")
    assert (code, stdout) == (255, b"")
    assert stderr.endswith(b"wrenpane: --ignore to continue\n")


# A stand-in that records its arguments. (A script cannot see the argv[0]
# it was started with, so only the arguments after it are checked.)
RECORDER = 'printf "%s\\n" "$@" > "$WRENBOX_LOG"\nexit 42\n'


@pytest.mark.parametrize("display", [None, ""], ids=["unset", "empty"])
def test_without_display_the_terminal_utility_takes_over(wrenpane, tmp_path, display):
    log = tmp_path / "args"
    path = program_on_path(tmp_path, "wrenbox", RECORDER)
    args = ["--title", "a b", "--msgbox", "hi\\nthere", "0", "0", "--help"]
    env = {"DISPLAY": display, "WAYLAND_DISPLAY": display, "PATH": path,
           "WRENBOX_LOG": str(log)}
    assert wrenpane.run(*args, env=env) == (42, b"", b"")
    assert log.read_text().splitlines() == args


NO_TERMINAL_UTILITY = ("no display (DISPLAY and WAYLAND_DISPLAY are unset or empty), "
                       "and %s cannot be run: %s")


@pytest.mark.parametrize("language", ["C", "de"])
@pytest.mark.parametrize("display", [None, ""], ids=["unset", "empty"])
@pytest.mark.parametrize("args", [["--msgbox", "hi", "0", "0"], ["--help"]])
def test_without_display_or_terminal_utility_exit_127_saying_why(wrenpane, tmp_path, args,
                                                                 display, language):
    empty = tmp_path / "empty"
    empty.mkdir()
    env = {"DISPLAY": display, "WAYLAND_DISPLAY": display, "PATH": str(empty),
           **language_env(language)}
    code, stdout, stderr = wrenpane.run(*args, env=env)
    assert (code, stdout) == (127, b"")
    # The system's reason comes last, in the system's words for the language.
    said = "wrenpane: " + catalogue_text(language, NO_TERMINAL_UTILITY) % ("wrenbox", "")
    assert stderr.decode().startswith(said)
    assert stderr.count(b"\n") == 1 and stderr.endswith(b"\n")
    if language == "C":
        assert stderr.decode() == said + "No such file or directory\n"


UNREACHABLE = [
    ({"DISPLAY": ":4242", "WAYLAND_DISPLAY": None}, b":4242"),
    # A Wayland session without X is a display too, not a terminal.
    ({"DISPLAY": None, "WAYLAND_DISPLAY": "wayland-4242"}, b"wayland-4242"),
    ({"DISPLAY": "", "WAYLAND_DISPLAY": "wayland-4242"}, b"wayland-4242"),
]


@pytest.mark.parametrize("args", [["--yesno", "q", 0, 0], ["--help"]])
@pytest.mark.parametrize("env, name", UNREACHABLE, ids=["x11", "wayland", "wayland-empty-x11"])
def test_unreachable_display_is_a_start_up_failure(wrenpane, args, env, name):
    # Not 1, which an `if` would take for No. --help needs the display too.
    assert wrenpane.run(*args, env=env) == (
        255, b"", b"wrenpane: cannot open display: " + name + b"\n")


@pytest.mark.parametrize("env, named", [
    ({"LC_ALL": "xx_XX.UTF-8"}, "xx_XX.UTF-8"),
    ({"LC_ALL": None, "LANG": "C.UTF-8", "LC_TIME": "fr_FR.UTF-8"}, "fr_FR.UTF-8"),
])
def test_unknown_locale_is_one_diagnostic_and_start_up_goes_on(wrenpane, env, named):
    result = wrenpane.run("--stdout", "--print-version", env=env)
    said = f'wrenpane: the locale "{named}" is not available on this system; using the C locale\n'
    assert result == (0, VERSION, said.encode())


@pytest.mark.parametrize("locale", ["C", "C.UTF-8"])
def test_text_in_any_locale_is_quiet(wrenpane, locale):
    app = wrenpane.start("--msgbox", "caf\u00e9 \u2713", 0, 0, env={"LC_ALL": locale})
    dialog = app.dialog()
    assert dialog.labels() == ["caf\u00e9 \u2713"]
    dialog.press("OK")
    assert app.finish() == (0, b"", b"")
