"""Private display servers whose monitors tests set up: an X server with
several outputs, and a Wayland compositor whose outputs come and go."""

from __future__ import annotations

import os
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

from .screens import swaymsg, x_display_env
from .session import TIMEOUT, WaitTimeout, base_env, needs_wayland, needs_x, wait_until


class MonitorServer:
    """A private X server whose monitors tests set up with xrandr (Xorg's
    dummy driver, see dummy-xorg.conf: GDK makes one monitor per output, and
    Xvfb has only one). Programs reach it through ``env``; no window manager
    runs there, so windows keep the places their program gives them."""

    CONFIG = Path(__file__).parents[1] / "dummy-xorg.conf"
    MODE = "1024x768"

    def __init__(self, work: Path):
        needs_x("an X server with several monitors")
        read_end, write_end = os.pipe()
        self.proc = subprocess.Popen(
            ["Xorg", "-displayfd", str(write_end), "-config", str(self.CONFIG),
             "-logfile", str(work / "xorg.log"), "-nolisten", "tcp", "-noreset",
             "-novtswitch", "-sharevts"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write_end)
        try:
            number = self._read_display_number(read_end)
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_end)
        self.display = f":{number}"
        self.env = {"DISPLAY": self.display}

    def _read_display_number(self, fd: int) -> str:
        import select

        text = b""
        deadline = time.monotonic() + TIMEOUT
        while not text.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            ready, _, _ = select.select([fd], [], [], max(remaining, 0))
            chunk = os.read(fd, 16) if ready else b""
            if not chunk:
                raise WaitTimeout(f"Xorg gave no display number within {TIMEOUT:g}s "
                                  f"(exit status {self.proc.poll()})")
            text += chunk
        return text.decode().strip()

    def xrandr(self, *args: str) -> None:
        subprocess.run(["xrandr", "-d", self.display, *args], check=True,
                       capture_output=True, timeout=TIMEOUT)

    def set_monitors(self, count: int, primary: int, modes: list[str] | None = None) -> None:
        """Switches on ``count`` outputs side by side, of MODE or of the
        given ``modes`` (one for each, such as "800x600"), each one a
        monitor named m0, m1, ... defined with --setmonitor, the one with
        index ``primary`` marked primary; every other output goes off."""
        modes = modes or [self.MODE] * count
        sizes = [tuple(map(int, mode.split("x"))) for mode in modes]
        lefts = [sum(width for width, _ in sizes[:i]) for i in range(count)]
        for line in subprocess.run(["xrandr", "-d", self.display, "--listmonitors"],
                                   capture_output=True, text=True, check=True,
                                   timeout=TIMEOUT).stdout.splitlines()[1:]:
            name = line.split()[1].lstrip("*")
            if not name.startswith("+"):  # "+": made by the server for an output
                self.xrandr("--delmonitor", name)
        outputs = []
        for i in range(16):
            if i < count:
                # Fails harmlessly when the output has the mode already.
                subprocess.run(["xrandr", "-d", self.display, "--addmode", f"DUMMY{i}",
                                modes[i]], capture_output=True, timeout=TIMEOUT)
                outputs += ["--output", f"DUMMY{i}", "--mode", modes[i],
                            "--pos", f"{lefts[i]}x0"]
            else:
                outputs += ["--output", f"DUMMY{i}", "--off"]
        self.xrandr(*outputs)
        # A full query probes the outputs: until then an output just switched
        # on may still count as disconnected for programs that do not probe.
        self.xrandr("--query")
        for i, (width, height) in enumerate(sizes):
            name = ("*" if i == primary else "") + f"m{i}"
            self.xrandr("--setmonitor", name, f"{width}/270x{height}/200+{lefts[i]}+0",
                        f"DUMMY{i}")

    def move_pointer(self, x: int, y: int) -> None:
        """Puts the mouse pointer at screen point (x, y)."""
        subprocess.run(["xdotool", "mousemove", str(x), str(y)], check=True, timeout=TIMEOUT,
                       env=base_env(self.env))

    def stop(self) -> None:
        _end(self.proc)


def _end(proc: subprocess.Popen) -> None:
    """Ends a server process, killing it if it does not end when asked."""
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


class WaylandMonitorServer:
    """A private Wayland compositor (sway) whose outputs tests add and
    remove: Wayland's counterpart of MonitorServer. wlroots cannot switch off
    an output of the session's headless compositor, so this one runs inside
    it, each of its outputs a window there, and closing that window unplugs
    the output. Programs reach it through ``env``; ``display`` names it for
    pixels, x_windows, wayland_windows and swaymsg. It has a keyboard, so
    that its windows become active, but Dialog.key types into the session's
    compositor, not this one."""

    MODE = "1024x768"

    def __init__(self, work: Path):
        needs_wayland("a compositor whose outputs come and go")
        # As in scripts/session, sway runs as nobody when we are root, in a
        # runtime directory of its own outside pytest's private ones.
        self.runtime = Path(tempfile.mkdtemp(prefix="wrenpane-sway-"))
        config = self.runtime / "sway.config"
        config.write_text('xwayland disable\nfor_window [title=".*"] floating enable\n'
                          f"output * resolution {self.MODE}\n")
        as_user = {}
        if os.getuid() == 0:
            for path in (self.runtime, config):
                shutil.chown(path, "nobody", "nogroup")
            as_user = {"user": "nobody", "group": "nogroup", "extra_groups": []}
        env = {"PATH": "/usr/bin:/bin", "HOME": str(self.runtime),
               "XDG_RUNTIME_DIR": str(self.runtime), "WLR_BACKENDS": "wayland",
               "WLR_LIBINPUT_NO_DEVICES": "1", "WLR_RENDERER": "pixman",
               "WAYLAND_DISPLAY": os.path.join(os.environ["XDG_RUNTIME_DIR"],
                                               os.environ["WAYLAND_DISPLAY"])}
        with open(work / "sway.log", "wb") as log:
            self.proc = subprocess.Popen(["sway", "-c", str(config)], env=env,
                                         stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                         **as_user)
        self.keyboard = None
        try:
            self._start_keyboard()
        except BaseException:
            self.stop()
            raise

    def _start_keyboard(self) -> None:
        def sockets():
            self._check_running()
            display = next(self.runtime.glob("wayland-*[0-9]"), None)
            return display if any(self.runtime.glob("sway-ipc.*.sock")) else None

        self.display = str(wait_until(sockets, "the private compositor's sockets"))
        self.env = x_display_env(self.display)
        self.keyboard = subprocess.Popen(["wtype", "-s", "2147483647"], env=base_env(self.env))
        wait_until(lambda: any(i["type"] == "keyboard"
                               for i in swaymsg("-t", "get_inputs", display=self.display)),
                   "the private compositor's keyboard")

    def _check_running(self) -> None:
        assert self.proc.poll() is None, f"sway ended with {self.proc.returncode}"

    def outputs(self) -> list[dict]:
        """The outputs as sway describes them, left to right."""
        found = [o for o in swaymsg("-t", "get_outputs", display=self.display) if o["active"]]
        return sorted(found, key=lambda o: o["rect"]["x"])

    def set_monitors(self, count: int) -> None:
        """Makes the outputs ``count`` outputs of MODE side by side, adding
        new ones at the right or unplugging the rightmost ones."""
        names = [o["name"] for o in self.outputs()]
        for name in names[count:]:
            swaymsg(f'[pid={self.proc.pid} title="^wlroots - {name}$"]', "kill")
        for _ in range(count - len(names)):
            swaymsg("create_output", display=self.display)
        wait_until(lambda: len(self.outputs()) == count, f"{count} outputs")
        width, height = map(int, self.MODE.split("x"))
        for i, output in enumerate(self.outputs()):
            swaymsg("output", output["name"], "position", str(i * width), "0",
                    display=self.display)
        expected = [{"x": i * width, "y": 0, "width": width, "height": height}
                    for i in range(count)]
        wait_until(lambda: [o["rect"] for o in self.outputs()] == expected,
                   f"{count} outputs side by side")

    def stop(self) -> None:
        if self.keyboard is not None:
            _end(self.keyboard)
        _end(self.proc)
        shutil.rmtree(self.runtime, ignore_errors=True)
