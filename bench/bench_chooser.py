"""File chooser benchmark: a folder of 10,000 empty files, opened by
wrenpane --fselect against zenity --file-selection and yad --file.

The folder is made once into build/bench/ (10,000 empty files with short
names). Each program opens it with nothing chosen: zenity and yad with their
plain (open) chooser and with --save, the chooser with a name field that
--fselect is; wrenpane at its default size, which is larger than theirs. Figures per program:
- map: exec to the first window mapped;
- settle: exec to idle (the folder listed and drawn, at most 3 ms of CPU
  time in 300 ms), the moment the chooser is usable in full;
- peak RSS: the process's peak resident memory (VmHWM) at that moment;
and for wrenpane the time from an Escape pressed 200 ms after the map
(while the folder is still being listed) to the process's exit, on this
folder and on one of 100,000 files.

Targets: wrenpane ahead of every peer on map, settle and peak RSS (ratio to
the best peer at most 1), and out within 100 ms of the Escape.
"""

import argparse
import os

import measure
from measure import Program

FILES = 10_000
HUGE_FILES = 100_000
ZENITY = "/usr/bin/zenity"
YAD = "/usr/bin/yad"
ESCAPE_AFTER_MS = 200
ESCAPE_LIMIT_MS = 100


def make_folder(files):
    """A folder of that many empty files, made once and reused."""
    path = os.path.join(measure.BUILD, "bench", f"chooser-{files}")
    if os.path.isdir(path) and len(os.listdir(path)) == files:
        return path
    os.makedirs(path, exist_ok=True)
    for index in range(files):
        open(os.path.join(path, f"file{index:05d}.txt"), "w").close()
    return path


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=15)
    runs = parser.parse_args().runs
    folder = make_folder(FILES)
    huge = make_folder(HUGE_FILES)
    # GTK's chooser keeps redrawing something lightly for as long as it is
    # open, in every program: settled is under 1% of a core.
    idle = ["--until-idle", "--idle-tolerance", "3"]
    # The peers' plain choosers pick existing files only; with --save they
    # have a name field as wrenpane's has, whose completion lists the
    # folder a second time.
    peers = [
        Program(f"{name}{save}", [program, option, *([save.strip()] if save else []),
                                   f"--filename={folder}/"], maptime_options=idle)
        for save in ("", " --save")
        for name, program, option in (("zenity --file-selection", ZENITY, "--file-selection"),
                                      ("yad --file", YAD, "--file"))
    ]
    wrenpane = Program("wrenpane --fselect", [measure.WRENPANE, "--fselect", folder + "/", "0", "0"],
                       maptime_options=idle)
    escape = Program("wrenpane --fselect, Escape while listing", wrenpane.argv,
                     maptime_options=["--escape-after", str(ESCAPE_AFTER_MS)])
    huge_escape = Program(f"wrenpane --fselect, {HUGE_FILES:,} files, Escape while listing",
                          [measure.WRENPANE, "--fselect", huge + "/", "0", "0"],
                          maptime_options=escape.maptime_options)
    samples = measure.measure([*peers, wrenpane, escape, huge_escape], runs)

    def med(program, key):
        return measure.median(samples[program.name], key)

    rows = []
    for key, figure, show in (("map_ms", "map", measure.ms), ("idle_ms", "settle", measure.ms),
                              ("idle_hwm_kb", "peak RSS", measure.mib)):
        best = min(med(peer, key) for peer in peers)
        for peer in peers:
            rows.append([peer.name, str(runs), figure, show(med(peer, key)), "", ""])
        rows.append([wrenpane.name, str(runs), figure, show(med(wrenpane, key)),
                     *measure.ratio_cell(med(wrenpane, key), best, 1.0)])
    for program in (escape, huge_escape):
        escape_ms = med(program, "escape_exit_ms")
        rows.append([program.name, str(runs), "Escape to exit", measure.ms(escape_ms), "",
                     f"< {ESCAPE_LIMIT_MS} ms {'ok' if escape_ms < ESCAPE_LIMIT_MS else 'MISS'}"])
    print(f"File chooser on a folder of {FILES:,} empty files: exec to map, exec to settle"
          " (listed and drawn, CPU time stopped) and the peak resident memory then; Escape"
          f" pressed {ESCAPE_AFTER_MS} ms after the map to exit. Medians; ratios to the best"
          " peer.")
    print(measure.format_table(["scenario", "runs", "figure", "median", "ratio", "target"], rows))


if __name__ == "__main__":
    main()
