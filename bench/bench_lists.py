"""List dialogs benchmark: lists of 2,000, 20,000 and 100,000 items against
yad --list of the same rows and the floor.

Scenarios, each size with the same items (name, description):
- floor: exec to map of bench/floor.c, the bare GTK dialog;
- yad --list with the rows in two columns, as users run it;
- wrenpane --menu, --checklist (every item off), --treeview with depths
  cycling 0, 1, 2, 3, 4 (so nested four levels deep) and --inputmenu;
- wrenpane --buildlist with every other item on, so that both of its lists
  hold half of the items.

Targets: each wrenpane list maps in at most 0.5 times yad's time at 20,000
rows and 0.4 times at 100,000, with a peak RSS below yad's; the nested
treeview in at most 1.5 times the flat menu's time, the inputmenu (a menu
with a Rename button) in at most 1.1 times, the buildlist in at most 1.3
times the checklist's. The cost of one more row
(the slope of the map time between 2,000 and 100,000 rows) is printed beside
the ratios, so that a regression in the per-row work shows at once.
"""

import argparse
import resource

import measure
from measure import Program

SIZES = (2000, 20000, 100000)
# The largest size and the one the per-row cost is taken from.
SLOPE_FROM, SLOPE_TO = SIZES[0], SIZES[-1]
YAD_LIMITS = {20000: 0.5, 100000: 0.4}
TREE_LIMIT = 1.5
BUILD_LIMIT = 1.3
INPUTMENU_LIMIT = 1.1
# The lists compared with another of the same size, and the most they may
# take of its time.
COMPARED = {
    "treeview": ("menu", TREE_LIMIT),
    "buildlist": ("checklist", BUILD_LIMIT),
    "inputmenu": ("menu", INPUTMENU_LIMIT),
}
YAD = "/usr/bin/yad"
# A command line may take a quarter of the stack limit, and never more than
# 6 MiB: 100,000 treeview rows need some 5.8 MiB (four arguments each, of
# 8-byte pointers and short texts). Every program measured inherits this.
STACK_BYTES = 256 << 20


def items(count):
    return [(f"item{i}", f"Row {i}") for i in range(count)]


def wrenpane_list(dialog, count, group):
    argv = [measure.WRENPANE, dialog, "Pick", "0", "0", "20"]
    for index, (name, description) in enumerate(items(count)):
        argv += group(index, name, description)
    return argv


def programs_for(count):
    """yad and the wrenpane lists of that many rows."""
    yad_argv = [YAD, "--list", "--column=Name", "--column=Description"]
    for name, description in items(count):
        yad_argv += [name, description]
    return {
        "yad --list": Program(f"yad --list, {count:,}", yad_argv),
        "menu": Program(f"wrenpane --menu, {count:,}",
                        wrenpane_list("--menu", count, lambda i, name, desc: [name, desc])),
        "checklist": Program(f"wrenpane --checklist, {count:,}",
                             wrenpane_list("--checklist", count,
                                           lambda i, name, desc: [name, desc, "off"])),
        "treeview": Program(f"wrenpane --treeview, {count:,} nested",
                            wrenpane_list("--treeview", count,
                                          lambda i, name, desc: [name, desc, "off", str(i % 5)])),
        "buildlist": Program(f"wrenpane --buildlist, {count:,} half on",
                             wrenpane_list("--buildlist", count,
                                           lambda i, name, desc: [name, desc, ["off", "on"][i % 2]])),
        "inputmenu": Program(f"wrenpane --inputmenu, {count:,}",
                             wrenpane_list("--inputmenu", count, lambda i, name, desc: [name, desc])),
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=15)
    runs = parser.parse_args().runs
    _, hard = resource.getrlimit(resource.RLIMIT_STACK)
    wanted = STACK_BYTES if hard == resource.RLIM_INFINITY else min(STACK_BYTES, hard)
    resource.setrlimit(resource.RLIMIT_STACK, (wanted, hard))

    floor = Program("floor (bare GTK dialog)", [measure.FLOOR])
    by_size = {count: programs_for(count) for count in SIZES}
    everything = [floor] + [program for size in by_size.values() for program in size.values()]
    samples = measure.measure(everything, runs)

    def medians(program):
        return (measure.median(samples[program.name], "map_ms"),
                measure.median(samples[program.name], "hwm_kb"))

    floor_ms, floor_kb = medians(floor)
    rows = [[floor.name, str(runs), measure.ms(floor_ms), "", "", "", "", measure.mib(floor_kb), ""]]
    for count, programs in by_size.items():
        yad_ms, yad_kb = medians(programs["yad --list"])
        for kind, program in programs.items():
            time, memory = medians(program)
            yad_cells = ["", ""]
            memory_cells = [measure.mib(memory), ""]
            if kind != "yad --list":
                limit = YAD_LIMITS.get(count)
                ratio = time / yad_ms
                yad_cells = list(measure.ratio_cell(time, yad_ms, limit)) if limit else [
                    f"{ratio:.2f}", ""]
                verdict = "ok" if memory < yad_kb else "MISS"
                memory_cells[1] = f"{memory / yad_kb:.2f} {verdict if limit else ''}".rstrip()
            compared_cells = ["", ""]
            if kind in COMPARED:
                other, other_limit = COMPARED[kind]
                other_ms, _ = medians(programs[other])
                compared_cells = list(measure.ratio_cell(time, other_ms, other_limit))
            rows.append([program.name, str(runs), measure.ms(time), *yad_cells, *compared_cells,
                         *memory_cells])

    print("Lists: exec to first top-level map; peak RSS = VmHWM at that map. Medians; ratios to"
          " yad --list of as many rows (and to the list it is compared with); peak RSS must stay"
          " below yad's. The treeview and the inputmenu are compared with the menu, the buildlist"
          " with the checklist.")
    print(measure.format_table(
        ["scenario", "runs", "map time", "x yad", "target", "x other", "target", "peak RSS",
         "x yad"], rows))

    slope_rows = []
    for kind in by_size[SLOPE_FROM]:
        low, _ = medians(by_size[SLOPE_FROM][kind])
        high, _ = medians(by_size[SLOPE_TO][kind])
        slope_rows.append([kind, f"{(high - low) * 1000 / (SLOPE_TO - SLOPE_FROM):.2f} us"])
    print()
    print(f"Cost of one more row: the slope of the map time from {SLOPE_FROM:,} to {SLOPE_TO:,}"
          " rows.")
    print(measure.format_table(["list", "per row"], slope_rows))


if __name__ == "__main__":
    main()
