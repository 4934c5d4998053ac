"""Large inputs benchmark: long and tall texts and big forms against the floor.

Scenarios:
- floor: exec to map of bench/floor.c, the bare GTK dialog;
- a message of one unbroken 32 KB word (hexadecimal, as a long hash or
  base64 block would be);
- a message of 20,000 short lines (numbered, about 107 KB: one argument
  may hold at most 128 KB);
- forms of 500 and of 5,000 fields.

Targets: each message maps in at most 3 times the floor's time; the
5,000-field form in at most 10 times the 500-field form's time (it has ten
times the fields, so the cost must stay linear) and within 2 s.
"""

import argparse
import hashlib

import measure
from measure import Program

TEXT_LIMIT = 3.0
FORM_LIMIT = 10.0
FORM_SECONDS = 2.0


def unbroken_word(length):
    digest = b"wrenpane"
    word = ""
    while len(word) < length:
        digest = hashlib.sha256(digest).digest()
        word += digest.hex()
    return word[:length]


def tall_text(lines):
    return "\n".join(str(n) for n in range(1, lines + 1))


def form(fields):
    argv = [measure.WRENPANE, "--form", "Fields", "0", "0", str(fields)]
    for n in range(fields):
        argv += [f"Field {n}", str(n + 1), "1", f"value {n}", str(n + 1), "12", "20", "0"]
    return argv


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=15)
    runs = parser.parse_args().runs

    floor = Program("floor (bare GTK dialog)", [measure.FLOOR])
    long_text = Program("--msgbox, one 32 KB word",
                        [measure.WRENPANE, "--msgbox", unbroken_word(32768), "0", "0"])
    tall = Program("--msgbox, 20,000 lines",
                   [measure.WRENPANE, "--msgbox", tall_text(20000), "0", "0"])
    small_form = Program("--form, 500 fields", form(500))
    big_form = Program("--form, 5,000 fields", form(5000))
    samples = measure.measure([floor, long_text, tall, small_form, big_form], runs)

    def medians(program):
        return (measure.median(samples[program.name], "map_ms"),
                measure.median(samples[program.name], "hwm_kb"))

    floor_ms, _ = medians(floor)
    small_ms, _ = medians(small_form)
    rows = []
    for program in (floor, long_text, tall, small_form, big_form):
        time, memory = medians(program)
        floor_cells = [f"{time / floor_ms:.2f}", ""]
        form_cells = ["", ""]
        if program in (long_text, tall):
            floor_cells = list(measure.ratio_cell(time, floor_ms, TEXT_LIMIT))
        if program is big_form:
            form_cells = list(measure.ratio_cell(time, small_ms, FORM_LIMIT))
            verdict = "ok" if time <= FORM_SECONDS * 1000 else "MISS"
            form_cells[1] += f", <= {FORM_SECONDS:g} s {verdict}"
        rows.append([program.name, str(runs), measure.ms(time), *floor_cells, *form_cells,
                     measure.mib(memory)])

    print("Large inputs: exec to first top-level map; peak RSS = VmHWM at that map. Medians;"
          " ratios to the floor (and, for the big form, to the 500-field form).")
    print(measure.format_table(
        ["scenario", "runs", "map time", "x floor", "target", "x 500 fields", "target",
         "peak RSS"], rows))


if __name__ == "__main__":
    main()
