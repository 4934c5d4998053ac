"""Textbox benchmark: a 20 MB text file against yad --text-info and the floor.

The file is made once into build/bench/ (numbered lines of ordinary words,
60 characters long on average). Scenarios:
- floor: exec to map of bench/floor.c, the bare GTK dialog;
- yad --text-info --filename: exec to map, and exec to idle (the whole file
  shown, CPU time no longer growing) with the resident memory then;
- wrenpane --textbox: the same figures, and the time from an Escape pressed
  one second after the map (while the file is still being read and laid out)
  to the process's exit.

Targets: wrenpane maps within 1.2 times the floor's time, goes idle within
0.75 times yad's time with no more resident memory than yad, and exits
within 100 ms of the Escape.

Hostile inputs, in a second table with fewer runs (yad needs about a minute
for the long line):
- one 50 MB line of words without a line break (made once into build/bench/):
  yad --text-info and wrenpane --textbox, exec to idle and the peak resident
  memory (VmHWM) then; wrenpane's Escape pressed one second after the map;
- /dev/zero, which never ends: wrenpane stops reading at its limit (yad reads
  it until memory runs out, so it is not run); exec to idle, peak memory,
  Escape one second after the map.
Targets: the long line idle within yad's time and with at most 4 times the
file's size at peak; /dev/zero goes idle with at most 1 GiB at peak; both
exit within 100 ms of the Escape. With BENCH_BASELINE set, that binary runs
the same wrenpane scenarios (a build of an older commit, for before-and-after
figures).
"""

import argparse
import os
import random

import measure
from measure import Program

FILE_BYTES = 20_000_000
MAP_LIMIT = 1.2
IDLE_LIMIT = 0.75
MEMORY_LIMIT = 1.0
ESCAPE_LIMIT_MS = 100
ESCAPE_AFTER_MS = 1000
YAD = "/usr/bin/yad"
WORDS = ("the quick brown fox jumps over a lazy dog while report files list every value of"
         " system time and date in plain lines").split()


def make_file():
    """The 20 MB file of ordinary lines, written once and reused."""
    path = os.path.join(measure.BUILD, "bench", "textbox-20mb.txt")
    if os.path.exists(path) and os.path.getsize(path) >= FILE_BYTES:
        return path
    rng = random.Random(20)
    lines = []
    size = 0
    while size < FILE_BYTES:
        line = f"{len(lines):7d} " + " ".join(rng.choices(WORDS, k=rng.randint(3, 16))) + "\n"
        lines.append(line)
        size += len(line)
    with open(path, "w") as out:
        out.writelines(lines)
    return path


LONG_LINE_BYTES = 50_000_000
LONG_LINE_MEMORY_LIMIT = 4.0
ZERO_MEMORY_LIMIT_KB = 1024 * 1024


def make_long_line():
    """The 50 MB file of one line of words, written once and reused."""
    path = os.path.join(measure.BUILD, "bench", "textbox-50mb-line.txt")
    if os.path.exists(path) and os.path.getsize(path) == LONG_LINE_BYTES:
        return path
    rng = random.Random(50)
    words = []
    size = 0
    while size <= LONG_LINE_BYTES:
        words.append(rng.choice(WORDS))
        size += len(words[-1]) + 1
    with open(path, "w") as out:
        out.write(" ".join(words)[:LONG_LINE_BYTES])
    return path


def hostile_inputs(runs):
    """The long line and /dev/zero: one table."""
    path = make_long_line()
    binaries = [("wrenpane", measure.WRENPANE)]
    if measure.BASELINE:
        binaries.append(("baseline", measure.BASELINE))
    yad = Program("yad --text-info, 50 MB line", [YAD, "--text-info", f"--filename={path}"],
                  maptime_options=["--until-idle"])
    programs = [yad]
    for label, binary in binaries:
        for what, file in (("50 MB line", path), ("/dev/zero", "/dev/zero")):
            argv = [binary, "--textbox", file, "0", "0"]
            # An older build may read /dev/zero until memory runs out.
            if label == "wrenpane" or file != "/dev/zero":
                programs.append(Program(f"{label} --textbox, {what}", argv,
                                        maptime_options=["--until-idle"]))
            programs.append(Program(f"{label} --textbox, {what}, Escape", argv,
                                    maptime_options=["--escape-after", str(ESCAPE_AFTER_MS)]))
    # yad shows nothing until it has read the whole line: minutes when busy.
    measure.RUN_TIMEOUT_S = 400
    samples = measure.measure(programs, runs)

    def med(name, key):
        return measure.median(samples[name], key)

    yad_idle, yad_kb = med(yad.name, "idle_ms"), med(yad.name, "idle_hwm_kb")
    file_kb = LONG_LINE_BYTES / 1024
    rows = [[yad.name, str(runs), "idle", measure.ms(yad_idle), "reference", ""],
            [yad.name, str(runs), "peak RSS", measure.mib(yad_kb),
             f"{yad_kb / file_kb:.2f} x file", "none"]]
    for label, _ in binaries:
        line, zero = f"{label} --textbox, 50 MB line", f"{label} --textbox, /dev/zero"
        line_kb = med(line, "idle_hwm_kb")
        rows += [
            [line, str(runs), "idle", measure.ms(med(line, "idle_ms")),
             *measure.ratio_cell(med(line, "idle_ms"), yad_idle, 1.0)],
            [line, str(runs), "peak RSS", measure.mib(line_kb), f"{line_kb / file_kb:.2f} x file",
             f"<= {LONG_LINE_MEMORY_LIMIT:g} x file"
             f" {'ok' if line_kb <= LONG_LINE_MEMORY_LIMIT * file_kb else 'MISS'}"],
        ]
        if zero in samples:
            zero_kb = med(zero, "idle_hwm_kb")
            rows += [
                [zero, str(runs), "idle", measure.ms(med(zero, "idle_ms")), "", "none"],
                [zero, str(runs), "peak RSS", measure.mib(zero_kb), "",
                 f"<= 1 GiB {'ok' if zero_kb <= ZERO_MEMORY_LIMIT_KB else 'MISS'}"],
            ]
        for name in (line, zero):
            escape_ms = med(f"{name}, Escape", "escape_exit_ms")
            rows.append([f"{name}, Escape", str(runs), "Escape to exit", measure.ms(escape_ms), "",
                         f"< {ESCAPE_LIMIT_MS} ms {'ok' if escape_ms < ESCAPE_LIMIT_MS else 'MISS'}"])
    print()
    print("Textbox on hostile inputs: exec to idle and the peak resident memory then; Escape"
          f" pressed {ESCAPE_AFTER_MS} ms after the map to exit. Medians; idle against yad's"
          " on the same line.")
    print(measure.format_table(["scenario", "runs", "figure", "median", "ratio", "target"], rows))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--only-hostile", action="store_true",
                        help="measure only the long line and /dev/zero")
    arguments = parser.parse_args()
    runs = arguments.runs
    # Laying out 20 MB takes several seconds, far more on a busy machine;
    # yad needs about a minute for the long line.
    measure.RUN_TIMEOUT_S = 180
    if arguments.only_hostile:
        hostile_inputs(runs)
        return
    path = make_file()

    floor = Program("floor (bare GTK dialog)", [measure.FLOOR])
    yad = Program("yad --text-info, 20 MB", [YAD, "--text-info", f"--filename={path}"],
                  maptime_options=["--until-idle"])
    textbox = Program("wrenpane --textbox, 20 MB", [measure.WRENPANE, "--textbox", path, "0", "0"],
                      maptime_options=["--until-idle"])
    escape = Program("wrenpane --textbox, Escape while loading", textbox.argv,
                     maptime_options=["--escape-after", str(ESCAPE_AFTER_MS)])
    samples = measure.measure([floor, yad, textbox, escape], runs)

    def med(program, key):
        return measure.median(samples[program.name], key)

    floor_ms = med(floor, "map_ms")
    yad_idle, yad_kb = med(yad, "idle_ms"), med(yad, "idle_rss_kb")
    textbox_idle, textbox_kb = med(textbox, "idle_ms"), med(textbox, "idle_rss_kb")
    escape_ms = med(escape, "escape_exit_ms")
    rows = [
        [floor.name, str(runs), "map", measure.ms(floor_ms), "reference", ""],
        [yad.name, str(runs), "map", measure.ms(med(yad, "map_ms")),
         f"{med(yad, 'map_ms') / floor_ms:.2f} x floor", "none"],
        [textbox.name, str(runs), "map", measure.ms(med(textbox, "map_ms")),
         *measure.ratio_cell(med(textbox, "map_ms"), floor_ms, MAP_LIMIT)],
        [yad.name, str(runs), "idle", measure.ms(yad_idle), "reference", ""],
        [textbox.name, str(runs), "idle", measure.ms(textbox_idle),
         *measure.ratio_cell(textbox_idle, yad_idle, IDLE_LIMIT)],
        [yad.name, str(runs), "RSS at idle", measure.mib(yad_kb), "reference", ""],
        [textbox.name, str(runs), "RSS at idle", measure.mib(textbox_kb),
         *measure.ratio_cell(textbox_kb, yad_kb, MEMORY_LIMIT)],
        [escape.name, str(runs), "Escape to exit", measure.ms(escape_ms), "",
         f"< {ESCAPE_LIMIT_MS} ms {'ok' if escape_ms < ESCAPE_LIMIT_MS else 'MISS'}"],
    ]
    print("Textbox on a 20 MB file: exec to first map; exec to idle (file read and laid out,"
          " CPU time stopped) and resident memory then; Escape pressed"
          f" {ESCAPE_AFTER_MS} ms after the map to exit. Medians; ratios to the floor (map)"
          " and to yad (idle, memory).")
    print(measure.format_table(["scenario", "runs", "figure", "median", "ratio", "target"], rows))
    hostile_inputs(max(3, runs // 5))


if __name__ == "__main__":
    main()
