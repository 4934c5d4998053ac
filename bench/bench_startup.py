"""Start-up benchmark: wrenpane against the floor, a bare GTK header-bar dialog.

Scenarios:
- floor: exec to map of bench/floor.c;
- floor without GL: the same with GDK_GL=disable, which wrenpane sets for
  itself; shown for information, as the floor of wrenpane's own overhead;
- msgbox: exec to map of `wrenpane --msgbox hi 0 0`;
- chain: `wrenpane --msgbox one 0 0 --and-dialog --msgbox two 0 0`, from the
  Return that closes the first dialog to the map of the second, set beside the
  floor's whole exec-to-map time for scale.

Targets: map time and peak resident memory at most 1.00 times the floor's for
the msgbox, at most 1.10 times for the chain.

In a Wayland session only the msgbox is measured: the compositor reports
when a window maps, not when a key reaches it. A Wayland client draws into
shared memory of its own (an X server holds the pixels itself), so there
wrenpane is judged against the floor given the size of wrenpane's window,
measured once before the rounds; the bare floor is shown for information.

With BENCH_BASELINE set, the msgbox and chain scenarios also run with that
binary, in the same rounds, so that two builds compare under the same noise.
"""

import argparse

import measure
from measure import Program

START_UP_LIMIT = 1.00
CHAIN_LIMIT = 1.10


def startup_programs(label, binary):
    """The msgbox and chain scenarios of one wrenpane binary, each with the
    keys of its time and memory figures and its limit."""
    msgbox = Program(f"{label}wrenpane --msgbox hi 0 0", [binary, "--msgbox", "hi", "0", "0"])
    if measure.WAYLAND:
        return [(msgbox, "map_ms", "hwm_kb", START_UP_LIMIT)]
    chain = Program(f"{label}chain: close one -> map two",
                    [binary, "--msgbox", "one", "0", "0", "--and-dialog", "--msgbox", "two", "0",
                     "0"],
                    then_return=True)
    return [(msgbox, "map_ms", "hwm_kb", START_UP_LIMIT),
            (chain, "close_map_ms", "close_hwm_kb", CHAIN_LIMIT)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=15)
    runs = parser.parse_args().runs

    # Each wrenpane program with the figures it is judged by.
    judged = startup_programs("", measure.WRENPANE)
    if measure.BASELINE:
        judged += startup_programs("baseline: ", measure.BASELINE)
    if measure.WAYLAND:
        size = measure.run_once(judged[0][0])
        width, height = int(size["width"]), int(size["height"])
        floor = Program(f"floor, {width}x{height} like wrenpane", [measure.FLOOR, str(width),
                                                                   str(height)])
        floor_info = Program("floor, its own size (info)", [measure.FLOOR])
    else:
        floor = Program("floor (bare GTK dialog)", [measure.FLOOR])
        floor_info = Program("floor, GDK_GL=disable (info)", [measure.FLOOR],
                             env={"GDK_GL": "disable"})
    samples = measure.measure([floor, floor_info] + [program for program, *_ in judged], runs)

    floor_ms = measure.median(samples[floor.name], "map_ms")
    floor_kb = measure.median(samples[floor.name], "hwm_kb")
    rows = [[floor.name, str(runs), measure.ms(floor_ms), "1.00", "", measure.mib(floor_kb),
             "1.00", ""]]
    time = measure.median(samples[floor_info.name], "map_ms")
    memory = measure.median(samples[floor_info.name], "hwm_kb")
    rows.append([floor_info.name, str(runs), measure.ms(time), f"{time / floor_ms:.2f}", "",
                 measure.mib(memory), f"{memory / floor_kb:.2f}", ""])
    for program, time_key, memory_key, limit in judged:
        time = measure.median(samples[program.name], time_key)
        memory = measure.median(samples[program.name], memory_key)
        rows.append([program.name, str(runs), measure.ms(time),
                     *measure.ratio_cell(time, floor_ms, limit), measure.mib(memory),
                     *measure.ratio_cell(memory, floor_kb, limit)])

    session = "Wayland (sway)" if measure.WAYLAND else "X11"
    print(f"Start-up on {session}: exec to first top-level map (chain: Return on the first"
          " dialog to the map of the second); peak RSS = VmHWM at that map. Medians; ratios to"
          " the floor.")
    print(measure.format_table(
        ["scenario", "runs", "map time", "x floor", "target", "peak RSS", "x floor", "target"],
        rows))


if __name__ == "__main__":
    main()
