"""Start-up benchmark: wrenpane against the floor, a bare GTK header-bar dialog.

Scenarios:
- floor: exec to map of bench/floor.c;
- floor without GL: the same with GDK_GL=disable, which wrenpane sets for
  itself; shown for information, as the floor of wrenpane's own overhead;
- msgbox: exec to map of `wrenpane --msgbox hi 0 0`;
- chain: `wrenpane --msgbox one 0 0 --and-dialog --msgbox two 0 0`, from the
  Return that closes the first dialog to the map of the second, set beside the
  floor's whole exec-to-map time for scale.

Target: map time and peak resident memory at most 1.10 times the floor's.
"""

import argparse

import measure
from measure import Program

LIMIT = 1.10


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=15)
    runs = parser.parse_args().runs

    floor = Program("floor (bare GTK dialog)", [measure.FLOOR])
    floor_no_gl = Program("floor, GDK_GL=disable (info)", [measure.FLOOR],
                          env={"GDK_GL": "disable"})
    msgbox = Program("wrenpane --msgbox hi 0 0", [measure.WRENPANE, "--msgbox", "hi", "0", "0"])
    chain = Program("chain: close one -> map two",
                    [measure.WRENPANE, "--msgbox", "one", "0", "0", "--and-dialog", "--msgbox",
                     "two", "0", "0"],
                    then_return=True)
    samples = measure.measure([floor, floor_no_gl, msgbox, chain], runs)

    floor_ms = measure.median(samples[floor.name], "map_ms")
    floor_kb = measure.median(samples[floor.name], "hwm_kb")
    rows = [[floor.name, str(runs), measure.ms(floor_ms), "1.00", "", measure.mib(floor_kb),
             "1.00", ""]]
    time = measure.median(samples[floor_no_gl.name], "map_ms")
    memory = measure.median(samples[floor_no_gl.name], "hwm_kb")
    rows.append([floor_no_gl.name, str(runs), measure.ms(time), f"{time / floor_ms:.2f}", "",
                 measure.mib(memory), f"{memory / floor_kb:.2f}", ""])
    for program, time_key, memory_key in ((msgbox, "map_ms", "hwm_kb"),
                                          (chain, "close_map_ms", "close_hwm_kb")):
        time = measure.median(samples[program.name], time_key)
        memory = measure.median(samples[program.name], memory_key)
        rows.append([program.name, str(runs), measure.ms(time),
                     *measure.ratio_cell(time, floor_ms, LIMIT), measure.mib(memory),
                     *measure.ratio_cell(memory, floor_kb, LIMIT)])

    print("Start-up: exec to first top-level map (chain: Return on the first dialog to the"
          " map of the second); peak RSS = VmHWM at that map. Medians; ratios to the floor.")
    print(measure.format_table(
        ["scenario", "runs", "map time", "x floor", "target", "peak RSS", "x floor", "target"],
        rows))


if __name__ == "__main__":
    main()
