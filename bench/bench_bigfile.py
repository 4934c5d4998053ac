"""Textbox on a 4 GiB file against the same dialog on a small one.

The 4 GiB file (numbered lines of ordinary words, about 60 bytes each) is
written into build/bench/ for the run and removed afterwards; the small file
is its first 4 KiB. The file just written is in the page cache, as a log
that a script has just produced would be. For each file, through maptime
--then-end:
- first screen: exec to idle (the window mapped, the text in sight read,
  laid out and drawn, then 300 ms without CPU use);
- End: from the key to the next idle (the last lines read and drawn);
- peak resident memory (VmHWM) after End.

The tailbox is measured the same way on the same two files (its first
screen is the file's end, End moves nothing), then once more on the 4 GiB
file while it grows: after it has settled, CPU time (share of one core) over
10 s while the file does not change and over 10 s while a line is appended
every 100 ms, then its peak memory, against the same on the small file.

Targets: the 4 GiB file's first screen within 300 ms, End within 100 ms,
and its peak memory within 100 MiB of the small file's; the tailbox, as it
follows the file, uses no CPU while the file does not change (below 0.1 %)
and keeps its memory within the same 100 MiB.
"""

import argparse
import os
import statistics
import subprocess

import measure
from bench_tailbox import IDLE_CPU_LIMIT, grow, phase, settle
from measure import Program

BIG_BYTES = 4 * 2**30
SMALL_BYTES = 4096
FIRST_SCREEN_LIMIT_MS = 300
END_LIMIT_MS = 100
MEMORY_LIMIT_KB = 100 * 1024
# Overlay scroll bars fade out for a second after scrolling, which keeps the
# CPU busy and would hide the end of the work that End asks for.
STILL_SCROLL_BARS = {"GTK_OVERLAY_SCROLLING": "0"}
WORDS = ("the quick brown fox jumps over a lazy dog while report files list every value of"
         " system time and date in plain lines").split()


def block_of_lines(number: int) -> bytes:
    """A MiB of lines, each numbered by its block and its place there."""
    lines = []
    size = 0
    index = 0
    while True:
        words = " ".join(WORDS[(index * 7 + k) % len(WORDS)] for k in range(3 + index % 12))
        line = f"{number:5d}:{index:05d} {words}\n".encode()
        if size + len(line) > 2**20:
            break
        lines.append(line)
        size += len(line)
        index += 1
    return b"".join(lines).ljust(2**20 - 1, b" ") + b"\n"


def make_files(directory: str) -> tuple[str, str]:
    big = os.path.join(directory, "bigfile-4gib.txt")
    small = os.path.join(directory, "bigfile-small.txt")
    template = block_of_lines(0)
    with open(big, "wb") as out:
        for number in range(BIG_BYTES // 2**20):
            # The block's number is the line's first field, five digits wide.
            out.write(template.replace(b"    0:", f"{number:5d}:".encode()))
    with open(small, "wb") as out:
        out.write(template[:SMALL_BYTES])
    return big, small


def peak_memory_kb(pid):
    with open(f"/proc/{pid}/status") as status:
        return int(status.read().split("VmHWM:")[1].split()[0])


def follow_growing(path):
    """CPU while idle and while growing, and peak memory, of one tailbox."""
    process = subprocess.Popen([measure.WRENPANE, "--tailbox", path, "0", "0"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               env=dict(os.environ, **STILL_SCROLL_BARS))
    try:
        settle(process.pid)
        idle_cpu = phase(process.pid)[0]
        grow_cpu = phase(process.pid, grow(path, [0]))[0]
        return {"idle_cpu": idle_cpu, "grow_cpu": grow_cpu, "hwm_kb": peak_memory_kb(process.pid)}
    finally:
        process.kill()
        process.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=15)
    runs = parser.parse_args().runs
    directory = os.path.join(measure.BUILD, "bench")
    os.makedirs(directory, exist_ok=True)
    big, small = make_files(directory)
    try:
        programs = [Program(f"wrenpane {dialog}, {what}",
                            [measure.WRENPANE, dialog, path, "0", "0"],
                            maptime_options=["--then-end"], env=STILL_SCROLL_BARS)
                    for dialog in ("--textbox", "--tailbox")
                    for what, path in (("4 GiB", big), ("4 KiB", small))]
        samples = measure.measure(programs, runs)
        # Each run takes over 20 s; the files grow by a few KiB a run.
        growing = {path: [] for path in (big, small)}
        for round_index in range(max(1, runs // 3)):
            for path in (big, small)[round_index % 2:] + (big, small)[:round_index % 2]:
                growing[path].append(follow_growing(path))
    finally:
        os.remove(big)
        os.remove(small)

    def med(program, key):
        return measure.median(samples[program.name], key)

    rows = []
    for large, little in (programs[:2], programs[2:]):
        rows += dialog_rows(large, little, runs, med)
    print("Textbox and tailbox on a 4 GiB file and on a 4 KiB one: exec to the first screen"
          " drawn (idle), End to the last lines drawn (idle again), peak resident memory after"
          " End. Medians.")
    print(measure.format_table(["scenario", "runs", "figure", "median", "target"], rows))
    print()
    print_growing(growing[big], growing[small])


def print_growing(large, little):
    def med(figures, key):
        return statistics.median(sample[key] for sample in figures)

    idle = med(large, "idle_cpu")
    extra_kb = med(large, "hwm_kb") - med(little, "hwm_kb")
    rows = [
        ["4 GiB", str(len(large)), "CPU, idle", f"{idle:.2f}%",
         f"< {IDLE_CPU_LIMIT} % {'ok' if idle < IDLE_CPU_LIMIT else 'MISS'}"],
        ["4 KiB", str(len(little)), "CPU, idle", f"{med(little, 'idle_cpu'):.2f}%", ""],
        ["4 GiB", str(len(large)), "CPU, growing", f"{med(large, 'grow_cpu'):.2f}%", ""],
        ["4 KiB", str(len(little)), "CPU, growing", f"{med(little, 'grow_cpu'):.2f}%", ""],
        ["4 GiB", str(len(large)), "peak RSS", measure.mib(med(large, "hwm_kb")),
         f"+{measure.mib(extra_kb)} <= +100 MiB {'ok' if extra_kb <= MEMORY_LIMIT_KB else 'MISS'}"],
        ["4 KiB", str(len(little)), "peak RSS", measure.mib(med(little, "hwm_kb")), ""],
    ]
    print("Tailbox following the file: CPU (share of one core) over 10 s idle, then 10 s"
          " growing by 10 lines a second; peak resident memory after. Medians.")
    print(measure.format_table(["file", "runs", "figure", "median", "target"], rows))


def dialog_rows(large, little, runs, med):
    first, end = med(large, "idle_ms"), med(large, "end_ms")
    extra_kb = med(large, "end_hwm_kb") - med(little, "end_hwm_kb")
    return [
        [little.name, str(runs), "map", measure.ms(med(little, "map_ms")), ""],
        [large.name, str(runs), "map", measure.ms(med(large, "map_ms")), ""],
        [little.name, str(runs), "first screen", measure.ms(med(little, "idle_ms")), ""],
        [large.name, str(runs), "first screen", measure.ms(first),
         f"<= {FIRST_SCREEN_LIMIT_MS} ms {'ok' if first <= FIRST_SCREEN_LIMIT_MS else 'MISS'}"],
        [little.name, str(runs), "End", measure.ms(med(little, "end_ms")), ""],
        [large.name, str(runs), "End", measure.ms(end),
         f"<= {END_LIMIT_MS} ms {'ok' if end <= END_LIMIT_MS else 'MISS'}"],
        [little.name, str(runs), "peak RSS", measure.mib(med(little, "end_hwm_kb")), ""],
        [large.name, str(runs), "peak RSS", measure.mib(med(large, "end_hwm_kb")),
         f"+{measure.mib(extra_kb)} <= +100 MiB {'ok' if extra_kb <= MEMORY_LIMIT_KB else 'MISS'}"],
    ]


if __name__ == "__main__":
    main()
