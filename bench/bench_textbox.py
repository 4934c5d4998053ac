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


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=15)
    runs = parser.parse_args().runs
    # Laying out 20 MB takes several seconds, far more on a busy machine.
    measure.RUN_TIMEOUT_S = 120
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


if __name__ == "__main__":
    main()
