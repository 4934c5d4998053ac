"""Running the program: its process, its output streams and descriptors,
and stand-ins for the programs it calls."""

from __future__ import annotations

import os
import signal
import subprocess
import threading
from pathlib import Path
from typing import NamedTuple

import pyatspi

from .accessibles import has_state
from .dialog import Dialog
from .session import BINARY, TIMEOUT, WaitTimeout, base_env, wait_until


class Result(NamedTuple):
    """How a run ended: the exit status and everything written to
    standard output and standard error."""

    code: int
    stdout: bytes
    stderr: bytes


class _Drain(threading.Thread):
    """Collects everything written to a pipe until it is closed."""

    def __init__(self, stream):
        super().__init__(daemon=True)
        self.stream = stream
        self.data = bytearray()

    def run(self):
        with self.stream:
            while chunk := self.stream.read1(65536):
                self.data += chunk


class App:
    """A running wrenpane process.

    Standard output and standard error are collected separately, and so is
    every extra descriptor asked for with ``fds``. ``dialog()`` waits for the
    next window; ``finish()`` waits for the exit.
    """

    def __init__(self, args, env=None, stdin=None, fds=(), closed=(), shut=(), opened=None,
                 binary=None):
        """``args``: the arguments after the program name. ``env``: changes
        to the environment (None values unset). ``stdin``: bytes to feed and
        then close, or subprocess.PIPE to write to ``self.stdin`` yourself
        (see ``send``), an open descriptor number to read from, or None
        for /dev/null. ``fds``: extra descriptor numbers (e.g. 3 for
        --output-fd 3) opened as pipes in the child. ``closed``: descriptor
        numbers (1, 2 or extra ones) that become pipes whose reader has
        already gone, so that writing to them fails with EPIPE. ``shut``:
        descriptor numbers (0, 1, 2 or others) that the program starts with
        closed, as after ``2>&-``. ``opened``: descriptor numbers mapped to
        paths that the program gets open for writing on them, as after
        ``3>/dev/full``."""
        self.args = [binary or BINARY, *map(_arg, args)]
        targets = {}
        for fd in fds:
            read_end, write_end = os.pipe()
            targets[fd] = (read_end, write_end)
        broken = {}
        for fd in closed:
            read_end, broken[fd] = os.pipe()
            os.close(read_end)

        opened = opened or {}

        def plumb():  # in the child, before exec
            for fd, path in opened.items():
                opened_fd = os.open(path, os.O_WRONLY)
                if opened_fd != fd:
                    os.dup2(opened_fd, fd)
                    os.close(opened_fd)
            for fd, (_, write_end) in targets.items():
                os.dup2(write_end, fd)
            for fd, write_end in broken.items():
                os.dup2(write_end, fd)
            for fd in shut:
                try:
                    os.close(fd)
                except OSError:
                    pass

        self.proc = subprocess.Popen(
            self.args,
            env=base_env(env),
            stdin=_stdin_for_popen(stdin),
            stdout=subprocess.PIPE,
            stderr=subprocess.PIPE,
            close_fds=False,  # our pipes are not inheritable; the dup2 copies are
            preexec_fn=plumb if targets or broken or shut or opened else None,
        )
        for write_end in [w for _, w in targets.values()] + list(broken.values()):
            os.close(write_end)
        self._drains = {1: _Drain(self.proc.stdout), 2: _Drain(self.proc.stderr)}
        for fd, (read_end, _) in targets.items():
            self._drains[fd] = _Drain(os.fdopen(read_end, "rb"))
        for drain in self._drains.values():
            drain.start()
        self.stdin = self.proc.stdin
        if isinstance(stdin, (bytes, bytearray)):
            self._feed(bytes(stdin))
        self._seen: set[str] = set()
        self._accessible = None
        self.fds: dict[int, bytes] = {}

    @property
    def pid(self) -> int:
        return self.proc.pid

    def _feed(self, data: bytes):
        def feed():
            try:
                self.stdin.write(data)
                self.stdin.close()
            except (BrokenPipeError, ValueError):
                pass

        threading.Thread(target=feed, daemon=True).start()

    def send(self, data: bytes) -> None:
        """Writes ``data`` to the program's standard input at once (the run
        was started with stdin=subprocess.PIPE); each call reaches the
        program as a separate write."""
        self.stdin.write(data)
        self.stdin.flush()

    def accessible(self):
        """The program's application object on the accessibility bus,
        matched by process id so that stray processes cannot be taken for
        it. Waits until it has registered."""

        def find():
            self._check_running()
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None and app.get_process_id() == self.pid:
                    return app
            return None

        if self._accessible is None:
            self._accessible = wait_until(find, "wrenpane on the accessibility bus")
        return self._accessible

    def windows(self) -> list[Dialog]:
        """The program's top-level windows that are currently showing."""
        return [Dialog(w) for w in self.accessible()
                if w is not None and has_state(w, pyatspi.STATE_SHOWING)]

    def dialog(self, title: str | None = None) -> Dialog:
        """Waits for the next window of the program to be showing and active
        (focused by the window manager, ready for keys) and returns it.
        Windows returned by earlier calls are skipped, so that in a chain
        each call yields the next dialog. With ``title``, only a window with
        that title counts."""

        def find():
            self._check_running()
            for window in self.windows():
                if window.acc.path in self._seen or not window.is_active():
                    continue
                # Plain frames are never dialogs: they are backdrops, or the
                # window that asks a Wayland compositor where new windows go.
                if window.acc.getRole() == pyatspi.ROLE_FRAME:
                    continue
                if title is None or window.title == title:
                    return window
            return None

        window = wait_until(find, f"an active window{f' titled {title!r}' if title else ''}")
        self._seen.add(window.acc.path)
        return window

    def _check_running(self) -> None:
        """Fails at once, with what the program said, when it has already
        exited while a test waits for one of its windows."""
        if self.proc.poll() is None:
            return
        code, stdout, stderr = self.finish()
        raise AssertionError(f"wrenpane exited with {code}; stdout {stdout!r}, stderr {stderr!r}")

    def finish(self, timeout: float = TIMEOUT) -> Result:
        """Waits for the process to exit (killing it and failing after
        ``timeout``) and returns its exit status, standard output and
        standard error. Extra descriptors land in ``self.fds``."""
        try:
            self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise WaitTimeout(f"wrenpane did not exit within {timeout:g}s: {self.args}")
        for drain in self._drains.values():
            drain.join(timeout)
        self.fds = {fd: bytes(d.data) for fd, d in self._drains.items() if fd > 2}
        return Result(self.proc.returncode, bytes(self._drains[1].data), bytes(self._drains[2].data))

    def kill(self) -> None:
        """Ends the process if it still runs (used when a test fails)."""
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


class LeftRunning(App):
    """A wrenpane process that another one started and left running
    (--no-kill): its windows as App finds them, by its process id."""

    def __init__(self, pid: int):  # pylint: disable=super-init-not-called
        self._pid = pid
        self._seen: set[str] = set()
        self._accessible = None

    @property
    def pid(self) -> int:
        return self._pid

    def is_running(self) -> bool:
        """False once the process has ended (a zombie has ended too)."""
        try:
            with open(f"/proc/{self._pid}/stat") as stat:
                return stat.read().rsplit(")", 1)[1].split()[0] != "Z"
        except FileNotFoundError:
            return False

    def _check_running(self) -> None:
        if not self.is_running():
            raise AssertionError(f"wrenpane {self._pid} has ended")

    def kill(self) -> None:
        if self.is_running():
            os.kill(self._pid, signal.SIGKILL)


def showing_titles() -> list[str]:
    """The titles of the top-level windows showing now, whichever program
    on the accessibility bus they belong to."""
    titles = []
    for app in pyatspi.Registry.getDesktop(0):
        if app is None:
            continue
        titles += [w.name for w in app if w is not None and has_state(w, pyatspi.STATE_SHOWING)]
    return titles


def open_files(pid: int) -> list[str]:
    """What the process's open descriptors lead to (paths, or "pipe:[...]"
    and the like)."""
    names = []
    for fd in os.listdir(f"/proc/{pid}/fd"):
        try:
            names.append(os.readlink(f"/proc/{pid}/fd/{fd}"))
        except FileNotFoundError:  # closed meanwhile
            pass
    return names


def _stdin_for_popen(stdin):
    if stdin is None:
        return subprocess.DEVNULL
    if isinstance(stdin, int) and stdin >= 0:
        return stdin
    return subprocess.PIPE


def _arg(value) -> str | bytes:
    """Arguments may be str, bytes (for non-UTF-8 tests) or numbers."""
    return value if isinstance(value, (str, bytes)) else str(value)


def program_on_path(tmp_path: Path, name: str, script: str) -> str:
    """Writes an executable shell script ``name`` into a fresh directory and
    returns a PATH value with that directory first (for stand-ins of outside
    programs)."""
    bin_dir = tmp_path / "bin"
    bin_dir.mkdir(exist_ok=True)
    program = bin_dir / name
    program.write_text("#!/bin/sh\n" + script)
    program.chmod(0o755)
    return f"{bin_dir}:{os.environ.get('PATH', '/usr/bin:/bin')}"
