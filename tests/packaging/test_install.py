"""`cmake --install` into a staging directory (DESTDIR) puts every file
where a distribution expects it. Runs on the build tree in WRENPANE_BUILD_DIR
with the cmake in WRENPANE_CMAKE (both set by ctest)."""

import os
import re
import subprocess
from pathlib import Path

import pytest

BUILD = Path(os.environ.get("WRENPANE_BUILD_DIR", "build/asan")).resolve()
SOURCE = Path(__file__).resolve().parents[2]
LANGUAGES = sorted(path.stem for path in (SOURCE / "po").glob("*.po"))
CMAKE = os.environ.get("WRENPANE_CMAKE", "cmake")


def cache_value(name: str) -> str:
    text = (BUILD / "CMakeCache.txt").read_text()
    return re.search(rf"^{name}:\w+=(.*)$", text, re.MULTILINE).group(1)


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


def test_catalogues_are_looked_for_under_the_prefix(tmp_path):
    # Configured without a preset, the program looks for its catalogues
    # where it is installed.
    subprocess.run(
        [CMAKE, "-S", str(SOURCE), "-B", str(tmp_path), "-G", "Ninja", "-DCMAKE_INSTALL_PREFIX=/opt/wrenpane",
         "-DWRENPANE_TESTS=OFF", "-DWRENPANE_MANUAL=OFF"],
        check=True, capture_output=True, timeout=120,
    )
    cache = (tmp_path / "CMakeCache.txt").read_text()
    assert "WRENPANE_LOCALEDIR:PATH=/opt/wrenpane/share/locale\n" in cache


def test_installed_files_are_the_built_ones(tmp_path):
    install("/usr", tmp_path)
    binary = tmp_path / "usr/bin/wrenpane"
    assert os.access(binary, os.X_OK)
    # The locale directory chosen at configure time is compiled in.
    assert cache_value("WRENPANE_LOCALEDIR").encode() + b"\0" in binary.read_bytes()

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
