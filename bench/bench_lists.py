"""List dialogs benchmark: 20,000-item lists against yad --list and the floor.

Scenarios, each with the same 20,000 items (name, description):
- floor: exec to map of bench/floor.c, the bare GTK dialog;
- yad --list with the 20,000 rows in two columns, as users run it, and the
  same with GDK_GL=disable (which wrenpane sets for itself) for information;
- wrenpane --menu, --checklist (every item off) and --treeview with depths
  cycling 0, 1, 2, 3, 4 (so nested four levels deep).

Targets: each wrenpane list maps in at most 0.75 times yad's time, and the
nested treeview in at most 1.5 times the flat menu's.
"""

import argparse

import measure
from measure import Program

ITEMS = 20000
YAD_LIMIT = 0.75
TREE_LIMIT = 1.5
YAD = "/usr/bin/yad"


def items():
    return [(f"item{i:05d}", f"Description of item {i}") for i in range(ITEMS)]


def wrenpane_list(dialog, group):
    argv = [measure.WRENPANE, dialog, "Pick", "0", "0", "20"]
    for index, (name, description) in enumerate(items()):
        argv += group(index, name, description)
    return argv


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=15)
    runs = parser.parse_args().runs

    yad_argv = [YAD, "--list", "--column=Name", "--column=Description"]
    for name, description in items():
        yad_argv += [name, description]

    floor = Program("floor (bare GTK dialog)", [measure.FLOOR])
    yad = Program(f"yad --list, {ITEMS} rows", yad_argv)
    yad_no_gl = Program("yad --list, GDK_GL=disable (info)", yad_argv, env={"GDK_GL": "disable"})
    menu = Program(f"wrenpane --menu, {ITEMS}",
                   wrenpane_list("--menu", lambda i, name, desc: [name, desc]))
    checklist = Program(f"wrenpane --checklist, {ITEMS}",
                        wrenpane_list("--checklist", lambda i, name, desc: [name, desc, "off"]))
    treeview = Program(f"wrenpane --treeview, {ITEMS} nested",
                       wrenpane_list("--treeview",
                                     lambda i, name, desc: [name, desc, "off", str(i % 5)]))
    samples = measure.measure([floor, yad, yad_no_gl, menu, checklist, treeview], runs)

    def medians(program):
        return (measure.median(samples[program.name], "map_ms"),
                measure.median(samples[program.name], "hwm_kb"))

    yad_ms, yad_kb = medians(yad)
    menu_ms, _ = medians(menu)
    rows = []
    for program in (floor, yad, yad_no_gl):
        time, memory = medians(program)
        rows.append([program.name, str(runs), measure.ms(time), f"{time / yad_ms:.2f}", "",
                     "", "", measure.mib(memory), f"{memory / yad_kb:.2f}"])
    for program in (menu, checklist, treeview):
        time, memory = medians(program)
        tree_cells = ["", ""]
        if program is treeview:
            tree_cells = list(measure.ratio_cell(time, menu_ms, TREE_LIMIT))
        rows.append([program.name, str(runs), measure.ms(time),
                     *measure.ratio_cell(time, yad_ms, YAD_LIMIT), *tree_cells,
                     measure.mib(memory), f"{memory / yad_kb:.2f}"])

    print(f"Lists of {ITEMS} items: exec to first top-level map; peak RSS = VmHWM at that map."
          " Medians; ratios to yad --list (and, for the treeview, to the menu).")
    print(measure.format_table(
        ["scenario", "runs", "map time", "x yad", "target", "x menu", "target", "peak RSS",
         "x yad"], rows))


if __name__ == "__main__":
    main()
