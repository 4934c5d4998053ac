"""`cmake --install` into a staging directory (DESTDIR) puts every file
where a distribution expects it, and the README's install gives a program
that reads its own catalogues. Runs on the build tree in WRENPANE_BUILD_DIR
with the cmake in WRENPANE_CMAKE (both set by ctest)."""

import os
import re
import shlex
import shutil
import subprocess
from pathlib import Path

import pytest

BUILD = Path(os.environ.get("WRENPANE_BUILD_DIR", "build/asan")).resolve()
SOURCE = Path(__file__).resolve().parents[2]
LANGUAGES = sorted(path.stem for path in (SOURCE / "po").glob("*.po"))
CMAKE = os.environ.get("WRENPANE_CMAKE", "cmake")


def completions_dir(prefix: str) -> str:
    """bash-completion's own directory, moved under our prefix."""
    run = lambda var: subprocess.run(
        ["pkg-config", f"--variable={var}", "bash-completion"], capture_output=True, text=True, check=True
    ).stdout.strip()
    return prefix + run("completionsdir").removeprefix(run("prefix"))


def install(prefix: str, destdir: Path) -> set[str]:
    """Installs with that prefix into destdir; returns the installed files,
    as absolute paths on the target system."""
    env = dict(os.environ, DESTDIR=str(destdir))
    subprocess.run(
        [CMAKE, "--install", str(BUILD), "--prefix", prefix], env=env, check=True, capture_output=True, timeout=120
    )
    return {"/" + str(path.relative_to(destdir)) for path in destdir.rglob("*") if path.is_file()}


@pytest.mark.parametrize("prefix", ["/usr", "/opt/wrenpane"])
def test_every_file_lands_where_it_belongs(tmp_path, prefix):
    files = install(prefix, tmp_path)
    assert files == {
        f"{prefix}/bin/wrenpane",
        f"{prefix}/share/man/man1/wrenpane.1",
        f"{completions_dir(prefix)}/wrenpane",
        f"{prefix}/share/doc/wrenpane/LICENSE",
        f"{prefix}/share/doc/wrenpane/NEWS",
    } | {f"{prefix}/share/locale/{language}/LC_MESSAGES/wrenpane.mo" for language in LANGUAGES}


def readme_install_commands() -> list[list[str]]:
    """The commands of the README's "Install from source", without sudo."""
    readme = (SOURCE / "README.md").read_text()
    block = re.search(r"^## Install from source\n\n((?:    .*\n)+)", readme, re.MULTILINE).group(1)
    return [shlex.split(line.strip().removeprefix("sudo ")) for line in block.splitlines()]


def test_the_readme_install_reads_its_own_catalogues(tmp_path):
    # A user's install, done in a copy of the sources staged into a DESTDIR;
    # then the build tree goes, and the installed program must still speak
    # German where a catalogue says so.
    source, stage = tmp_path / "source", tmp_path / "stage"
    shutil.copytree(SOURCE, source, ignore=shutil.ignore_patterns(".git", "build", "out"))
    commands = readme_install_commands()
    assert [command[:2] for command in commands] == [["cmake", "--preset"], ["cmake", "--build"],
                                                     ["cmake", "--install"]]
    for command in commands:
        subprocess.run([CMAKE, *command[1:]], cwd=source, env=dict(os.environ, DESTDIR=str(stage)),
                       check=True, capture_output=True, timeout=1200)
    shutil.rmtree(source)

    # Without a display to open, the program says so in the user's language.
    shown = run_undisplayed(stage / "usr/local/bin/wrenpane")
    assert (shown.returncode, shown.stderr) == (255, "wrenpane: Anzeige kann nicht geöffnet werden: :4095\n")


def run_undisplayed(program: Path) -> subprocess.CompletedProcess:
    """The program in German with a display that cannot be opened: it says
    so in German where it finds its catalogue."""
    env = {"PATH": os.environ["PATH"], "LANG": "C.UTF-8", "LANGUAGE": "de", "DISPLAY": ":4095"}
    return subprocess.run([program, "--msgbox", "hi", "0", "0"], env=env, capture_output=True,
                          text=True, timeout=60)


@pytest.mark.parametrize("mode, german", [(0o755, True), (0o777, False), (0o1777, False)])
def test_catalogues_beside_the_program_only_in_a_private_directory(tmp_path, mode, german):
    # A catalogue holds the formats of the program's messages: one that
    # another user could put beside a copy of the program (in /tmp, say) is
    # not read.
    place = tmp_path / "bin"
    place.mkdir()
    shutil.copy(BUILD / "wrenpane", place)
    shutil.copytree(BUILD / "locale", place / "locale")
    place.chmod(mode)
    shown = run_undisplayed(place / "wrenpane")
    assert ("Anzeige kann nicht" in shown.stderr) == german, shown.stderr


def test_installed_files_are_the_built_ones(tmp_path):
    install("/usr", tmp_path)
    binary = tmp_path / "usr/bin/wrenpane"
    assert os.access(binary, os.X_OK)

    manual = tmp_path / "usr/share/man/man1/wrenpane.1"
    assert manual.read_bytes() == (BUILD / "wrenpane.1").read_bytes()
    shown = subprocess.run(
        ["man", "--local-file", str(manual)],
        capture_output=True,
        text=True,
        check=True,
        env=dict(os.environ, MANWIDTH="80", MAN_KEEP_FORMATTING="0"),
    )
    assert shown.stderr == ""
    assert "wrenpane - show desktop dialog boxes from shell scripts" in shown.stdout
