"""Shared measuring code of the benchmarks.

Every run goes through the maptime tool (bench/maptime.c), which execs one
command line on the X server named by DISPLAY and reports the time from exec
to the first top-level window being mapped and the peak resident memory
(VmHWM) at that moment. In a Wayland session (WAYLAND_DISPLAY without
DISPLAY) bench/wayland_maptime.py measures the same on the sway compositor.
This module runs several programs a number of times, interleaved so that
machine noise hits all of them alike, and turns the samples into medians,
ratios and a plain table.
"""

import os
import statistics
import subprocess
import sys
from dataclasses import dataclass

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(REPO, "build")
MAPTIME = os.path.join(BUILD, "bench", "maptime")
WAYLAND_MAPTIME = os.path.join(REPO, "bench", "wayland_maptime.py")
WAYLAND = bool(os.environ.get("WAYLAND_DISPLAY")) and not os.environ.get("DISPLAY")
FLOOR = os.path.join(BUILD, "bench", "floor")
WRENPANE = os.path.join(BUILD, "release", "wrenpane")
# Another wrenpane binary to measure beside this one, or None (see bench/run).
BASELINE = os.environ.get("BENCH_BASELINE") or None

# A run that takes longer than this has hung; the whole benchmark then fails.
RUN_TIMEOUT_S = 30


@dataclass
class Program:
    name: str
    argv: list
    # Send Return once the first window is up and also time the next map
    # (a dialog chain); adds the close_map_ms and close_hwm_kb figures.
    then_return: bool = False
    # A file fed to the program's standard input, or None for /dev/null.
    stdin: str = None
    # Environment variables set for this program on top of the inherited ones.
    env: dict = None
    # Further maptime options for this program ("--until-idle", ...).
    maptime_options: list = None


def run_once(program):
    """One measured run: a dict of the figures maptime printed."""
    if WAYLAND:
        if program.then_return or program.maptime_options:
            raise RuntimeError(f"{program.name}: only the start-up is measured on Wayland")
        command = [sys.executable, WAYLAND_MAPTIME, "--timeout", str(RUN_TIMEOUT_S)]
    else:
        command = [MAPTIME, "--timeout", str(RUN_TIMEOUT_S)]
    if program.then_return:
        command.append("--then-return")
    command += program.maptime_options or []
    command += program.argv
    env = dict(os.environ, **(program.env or {}))
    with open(program.stdin or os.devnull, "rb") as stdin:
        done = subprocess.run(command, stdin=stdin, env=env, capture_output=True, text=True,
                              timeout=RUN_TIMEOUT_S + 10)
    if done.returncode != 0:
        raise RuntimeError(f"{program.name}: maptime failed: {done.stderr.strip()}")
    return {key: float(value) for key, value in
            (field.split("=") for field in done.stdout.split())}


def measure(programs, runs, warmup=1):
    """Runs every program `runs` times and returns {name: [figures, ...]}.

    Each round runs every program once; the order rotates from round to round
    so that no program always runs right after the same neighbour. The first
    `warmup` rounds fill the page and font caches and are not counted."""
    samples = {program.name: [] for program in programs}
    for round_index in range(warmup + runs):
        shift = round_index % len(programs)
        for program in programs[shift:] + programs[:shift]:
            figures = run_once(program)
            if round_index >= warmup:
                samples[program.name].append(figures)
    return samples


def median(figures, key):
    return statistics.median(sample[key] for sample in figures)


def ratio_cell(value, reference, limit):
    """The ratio to the reference and whether it meets `limit` (a ratio)."""
    ratio = value / reference
    verdict = "ok" if ratio <= limit else "MISS"
    return f"{ratio:.2f}", f"<= {limit:.2f} {verdict}"


def ms(value):
    return f"{value:.1f} ms"


def mib(kilobytes):
    return f"{kilobytes / 1024:.1f} MiB"


def format_table(header, rows):
    """Plain columns: the first left-aligned, the others right-aligned."""
    table = [header] + rows
    widths = [max(len(row[i]) for row in table) for i in range(len(header))]
    lines = []
    for row in table:
        cells = [row[0].ljust(widths[0])]
        cells += [cell.rjust(width) for cell, width in zip(row[1:], widths[1:])]
        lines.append("  ".join(cells).rstrip())
    lines.insert(1, "  ".join("-" * width for width in widths))
    return "\n".join(lines)
