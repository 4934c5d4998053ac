"""Editbox benchmark: a 10 MB text file opened for editing and answered
unedited, against zenity and yad in their editable text-info dialogs.

The file is made once into build/bench/ (numbered lines of ordinary words,
60 characters long on average). Each program runs until it is idle (the
file read and laid out, CPU time no longer growing), then gets the key that
presses its OK button; the figures are exec to idle ("open"), that key to
the process's exit ("answer", the whole text written out), and the peak
resident memory (VmHWM) at idle. OK is pressed alike in all three, with
Ctrl+Tab (out of the text, to Cancel), Tab and Return: zenity's OK has no
mnemonic, and a button pressed by its mnemonic stays drawn pressed for a
quarter of a second before GTK lets it act, which would be measured instead
of the program. A last scenario presses Escape 100 ms after wrenpane's map,
while the file is still being read or put into the view. With BENCH_BASELINE
set, that wrenpane is measured beside this one in the same rounds.

Targets: wrenpane opens and answers within the faster peer's times, with no
more peak memory than the lighter peer, and exits within 100 ms of the
Escape.
"""

import argparse
import os
import random

import measure
from measure import Program

FILE_BYTES = 10_000_000
ESCAPE_LIMIT_MS = 100
# Early enough to fall while the file is read and put into the view.
ESCAPE_AFTER_MS = 100
WORDS = ("the quick brown fox jumps over a lazy dog while report files list every value of"
         " system time and date in plain lines").split()


def make_file():
    """The 10 MB file of ordinary lines, written once and reused."""
    path = os.path.join(measure.BUILD, "bench", "editbox-10mb.txt")
    if os.path.exists(path) and os.path.getsize(path) >= FILE_BYTES:
        return path
    rng = random.Random(10)
    lines = []
    size = 0
    while size < FILE_BYTES:
        line = f"{len(lines):7d} " + " ".join(rng.choices(WORDS, k=rng.randint(3, 16))) + "\n"
        lines.append(line)
        size += len(line)
    with open(path, "w") as out:
        out.writelines(lines)
    return path


# From the text to Cancel, on to OK, and press it.
OK_KEYS = "ctrl+Tab Tab Return"


def answered(name, argv):
    return Program(name, argv, maptime_options=["--until-idle", "--answer-keys", OK_KEYS])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=15)
    runs = parser.parse_args().runs
    # Laying out 10 MB takes seconds, far more on a busy machine.
    measure.RUN_TIMEOUT_S = 180
    path = make_file()
    peers = [
        answered("zenity --text-info --editable",
                 ["/usr/bin/zenity", "--text-info", "--editable", f"--filename={path}"]),
        answered("yad --text-info --editable",
                 ["/usr/bin/yad", "--text-info", "--editable", f"--filename={path}"]),
    ]
    ours = answered("wrenpane --editbox", [measure.WRENPANE, "--editbox", path, "0", "0"])
    escape = Program("wrenpane --editbox, Escape while loading", ours.argv,
                     maptime_options=["--escape-after", str(ESCAPE_AFTER_MS)])
    wrenpanes = [ours]
    escapes = [escape]
    if measure.BASELINE:
        baseline_argv = [measure.BASELINE, *ours.argv[1:]]
        wrenpanes.append(answered("baseline --editbox", baseline_argv))
        escapes.append(Program("baseline --editbox, Escape while loading", baseline_argv,
                               maptime_options=escape.maptime_options))
    samples = measure.measure([*peers, *wrenpanes, *escapes], runs)

    def med(program, key):
        return measure.median(samples[program.name], key)

    best_open = min(med(p, "idle_ms") for p in peers)
    best_answer = min(med(p, "answer_exit_ms") for p in peers)
    least_kb = min(med(p, "idle_hwm_kb") for p in peers)
    rows = []
    for program in [*peers, *wrenpanes]:
        mine = program in wrenpanes
        open_ms, answer_ms = med(program, "idle_ms"), med(program, "answer_exit_ms")
        kb = med(program, "idle_hwm_kb")
        rows += [
            [program.name, str(runs), "open (exec to idle)", measure.ms(open_ms),
             *(measure.ratio_cell(open_ms, best_open, 1.0) if mine else ["", ""])],
            [program.name, str(runs), "answer (OK to exit)", measure.ms(answer_ms),
             *(measure.ratio_cell(answer_ms, best_answer, 1.0) if mine else ["", ""])],
            [program.name, str(runs), "peak RSS", measure.mib(kb),
             *(measure.ratio_cell(kb, least_kb, 1.0) if mine else ["", ""])],
        ]
    for program in escapes:
        escape_ms = med(program, "escape_exit_ms")
        rows.append([program.name, str(runs), "Escape to exit", measure.ms(escape_ms), "",
                     f"< {ESCAPE_LIMIT_MS} ms {'ok' if escape_ms < ESCAPE_LIMIT_MS else 'MISS'}"])
    print("Editbox on a 10 MB file: exec to idle (read and laid out, CPU time stopped), the OK"
          " key to exit (the text answered unedited), peak resident memory at idle; Escape"
          f" pressed {ESCAPE_AFTER_MS} ms after the map. Medians; ratios to the better peer.")
    print(measure.format_table(["scenario", "runs", "figure", "median", "ratio", "target"], rows))


if __name__ == "__main__":
    main()
