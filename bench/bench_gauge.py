"""Gauge benchmark: a flood of updates through a pipe, against yad --progress.

Scenarios, each run to its own end with its input written through a pipe as
fast as the program takes it:
- floor: exec to map of bench/floor.c, the bare GTK dialog (for scale);
- wrenpane --gauge and yad --progress --auto-close given no updates: start,
  show, end (the programs' own floor);
- wrenpane --gauge given 100,000 blocks (XXX, a percentage, one text line,
  XXX), then the end of input;
- yad --progress --auto-close given 100,000 percentage and "# text" updates,
  then 100 (which closes it);
- Escape while flooded: wrenpane --gauge fed blocks without end; once its
  window is up and the flood has run for a moment, Escape is pressed; the
  time from the key press to the process's exit.

Figures: wall time from exec to exit and the CPU time (user + system) the
process used. Targets: the flooded gauge's wall time at most 0.5 times yad's;
Escape to exit under 100 ms.
"""

import argparse
import ctypes
import ctypes.util
import os
import subprocess
import sys
import threading
import time

import measure
from measure import Program

UPDATES = 100000
YAD_LIMIT = 0.5
ESCAPE_LIMIT_MS = 100.0
FLOOD_BEFORE_ESCAPE_S = 0.3
YAD = "/usr/bin/yad"
ESCAPE_KEYSYM = 0xFF1B
TIMEOUT_S = 60


def gauge_blocks():
    return b"".join(b"XXX\n%d\nStep %d of the work\nXXX\n" % (i * 100 // UPDATES, i)
                    for i in range(UPDATES))


def yad_updates():
    lines = b"".join(b"%d\n# Step %d of the work\n" % (i * 100 // UPDATES, i)
                     for i in range(UPDATES))
    return lines + b"100\n"


def feed(pipe, data):
    try:
        pipe.write(data)
        pipe.close()
    except BrokenPipeError:
        pass


def run_to_end(argv, data):
    """Runs argv with `data` written to its standard input through a pipe,
    then closed; returns (wall ms, CPU ms) from exec to exit."""
    start = time.monotonic()
    proc = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    writer = threading.Thread(target=feed, args=(proc.stdin, data), daemon=True)
    writer.start()
    timer = threading.Timer(TIMEOUT_S, proc.kill)
    timer.start()
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.monotonic() - start
    timer.cancel()
    proc.returncode = os.waitstatus_to_exitcode(status)
    writer.join()
    if timer.finished.is_set() and proc.returncode < 0:
        raise RuntimeError(f"{argv[0]} did not end within {TIMEOUT_S} s")
    return wall * 1000, (usage.ru_utime + usage.ru_stime) * 1000


def xdotool(*args):
    return subprocess.run(["xdotool", *args], check=True, capture_output=True, text=True,
                          timeout=TIMEOUT_S).stdout


class KeyPresser:
    """Sends key presses through XTEST on its own open display connection,
    so that the time of a press is the time it leaves for the X server,
    not the start-up of a helper program."""

    def __init__(self):
        self.xlib = ctypes.CDLL(ctypes.util.find_library("X11"))
        self.xtst = ctypes.CDLL(ctypes.util.find_library("Xtst"))
        self.xlib.XOpenDisplay.restype = ctypes.c_void_p
        self.xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.xlib.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.xlib.XFlush.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                ctypes.c_ulong]
        self.display = self.xlib.XOpenDisplay(None)
        if not self.display:
            raise RuntimeError("cannot open the X display")

    def press(self, keysym):
        """Presses and releases the key; returns the monotonic time at which
        the press was flushed to the server."""
        code = self.xlib.XKeysymToKeycode(self.display, keysym)
        self.xtst.XTestFakeKeyEvent(self.display, code, 1, 0)
        self.xlib.XFlush(self.display)
        pressed = time.monotonic()
        self.xtst.XTestFakeKeyEvent(self.display, code, 0, 0)
        self.xlib.XFlush(self.display)
        return pressed


# A writer of its own that floods its standard output with gauge blocks
# until the reader goes away.
FLOOD_WRITER = """
import sys
blocks = b"".join(b"XXX\\n%d\\nStep %d of the work\\nXXX\\n" % (i % 100, i) for i in range(4000))
try:
    while True:
        sys.stdout.buffer.write(blocks)
except BrokenPipeError:
    pass
"""


def escape_latency(keys):
    """Ms from an Escape press to the exit of a gauge flooded with blocks."""
    writer = subprocess.Popen([sys.executable, "-c", FLOOD_WRITER], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL)
    proc = subprocess.Popen([measure.WRENPANE, "--gauge", "Working", "0", "0"],
                            stdin=writer.stdout, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    writer.stdout.close()
    try:
        window = xdotool("search", "--sync", "--onlyvisible", "--pid", str(proc.pid)).split()[0]
        xdotool("windowfocus", "--sync", window)
        time.sleep(FLOOD_BEFORE_ESCAPE_S)
        if proc.poll() is not None:
            raise RuntimeError("the flooded gauge ended before Escape")
        pressed = keys.press(ESCAPE_KEYSYM)
        proc.wait(timeout=TIMEOUT_S)
        return (time.monotonic() - pressed) * 1000
    finally:
        for process in (proc, writer):
            process.kill()
            process.wait()


def median_of(samples, index):
    return measure.median([{"v": s[index]} for s in samples], "v")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=15)
    runs = parser.parse_args().runs

    gauge = [measure.WRENPANE, "--gauge", "Working", "0", "0"]
    yad = [YAD, "--progress", "--auto-close", "--text=Working"]
    scenarios = [
        ("wrenpane --gauge, no updates", gauge, b""),
        ("yad --progress, no updates", yad, b"100\n"),
        (f"wrenpane --gauge, {UPDATES} blocks", gauge, gauge_blocks()),
        (f"yad --progress, {UPDATES} updates", yad, yad_updates()),
    ]
    samples = {name: [] for name, _, _ in scenarios}
    escapes = []
    keys = KeyPresser()
    # One warm-up round, then interleaved rounds with a rotating order.
    for round_index in range(1 + runs):
        shift = round_index % len(scenarios)
        for name, argv, data in scenarios[shift:] + scenarios[:shift]:
            figures = run_to_end(argv, data)
            if round_index:
                samples[name].append(figures)
        latency = escape_latency(keys)
        if round_index:
            escapes.append(latency)
    floor = measure.measure([Program("floor", [measure.FLOOR])], runs)["floor"]
    floor_ms = measure.median(floor, "map_ms")

    yad_wall = median_of(samples[scenarios[3][0]], 0)
    rows = [["floor (bare GTK dialog), exec to map", str(runs), measure.ms(floor_ms), "", "",
             f"{floor_ms / yad_wall:.2f}", ""]]
    for name, _, _ in scenarios:
        wall = median_of(samples[name], 0)
        cpu = median_of(samples[name], 1)
        if name == scenarios[2][0]:
            target = list(measure.ratio_cell(wall, yad_wall, YAD_LIMIT))
        else:
            target = [f"{wall / yad_wall:.2f}", ""]
        rows.append([name, str(runs), measure.ms(wall), measure.ms(cpu),
                     f"{wall / floor_ms:.2f}", *target])
    escape = measure.median([{"v": e} for e in escapes], "v")
    verdict = "ok" if escape < ESCAPE_LIMIT_MS else "MISS"
    rows.append(["Escape while flooded, press to exit", str(runs), measure.ms(escape), "", "",
                 "", f"< {ESCAPE_LIMIT_MS:.0f} ms {verdict}"])

    print("Gauge: wall time exec to exit and CPU time, input through a pipe. Medians;"
          f" ratios to the floor's map time and to yad --progress with {UPDATES} updates.")
    print(measure.format_table(
        ["scenario", "runs", "wall", "CPU", "x floor", "x yad", "target"], rows))


if __name__ == "__main__":
    main()
