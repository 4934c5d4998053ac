"""Gauge text benchmark: a long line without blanks and a block of many lines,
against yad --progress.

Scenarios, each with its input written through a pipe from the moment of
exec, in pieces of 1,000 bytes as a script printing its progress would:
- long line: XXX, 10, a line of 30,000 letters without a blank, XXX; "EOF"
  one second after exec (the gauge should end then);
- 100-line block: XXX, 40, 100 lines of text, XXX; "EOF" one second after
  exec;
- yad --progress --auto-close given the same texts as "#" lines (the
  block as 100 of them, each replacing the last), then 100 one second after
  exec, which closes it;
- Escape: the gauge given the same input without "EOF"; once its window is
  up and the input written, Escape is pressed; the time from the key press
  to the process's exit.

Figures: wall time from exec to exit (at least the one second before the
end is sent), the CPU time (user + system) and the peak resident memory
(ru_maxrss) of the process. With BENCH_BASELINE set, the same scenarios run
with that wrenpane too. A run that has not ended after RUN_LIMIT_S is
killed and shown as longer than that.
Targets: the gauge ends within 1.5 s of exec (half a second after its end
is sent); Escape to exit under 100 ms.
"""

import argparse
import os
import subprocess
import threading
import time

import measure
from bench_gauge import ESCAPE_KEYSYM, YAD, KeyPresser, xdotool

LINE_BYTES = 30000
BLOCK_LINES = 100
PIECE_BYTES = 1000
END_AFTER_S = 1.0
END_LIMIT_MS = 1500.0
ESCAPE_LIMIT_MS = 100.0
RUN_LIMIT_S = 60


def gauge_line():
    return b"XXX\n10\n" + b"a" * LINE_BYTES + b"\nXXX\n"


def gauge_block():
    lines = b"".join(b"line %d of the block\n" % i for i in range(BLOCK_LINES))
    return b"XXX\n40\n" + lines + b"XXX\n"


def yad_line():
    return b"10\n# " + b"a" * LINE_BYTES + b"\n"


def yad_block():
    return b"40\n" + b"".join(b"# line %d of the block\n" % i for i in range(BLOCK_LINES))


def write_pieces(pipe, data):
    try:
        for start in range(0, len(data), PIECE_BYTES):
            pipe.write(data[start:start + PIECE_BYTES])
            pipe.flush()
    except (BrokenPipeError, ValueError):
        pass


def feed(pipe, data, end, started):
    """Writes data in pieces, then `end` once END_AFTER_S has passed since
    `started`, and closes the pipe."""
    write_pieces(pipe, data)
    time.sleep(max(0.0, started + END_AFTER_S - time.monotonic()))
    try:
        pipe.write(end)
        pipe.close()
    except (BrokenPipeError, ValueError):
        pass


def start(argv):
    return subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def wait_within_limit(proc):
    """Waits for the exit, killing the process after RUN_LIMIT_S; returns
    (timed out, rusage)."""
    timer = threading.Timer(RUN_LIMIT_S, proc.kill)
    timer.start()
    _, status, usage = os.wait4(proc.pid, 0)
    timer.cancel()
    proc.returncode = os.waitstatus_to_exitcode(status)
    return timer.finished.is_set() and proc.returncode < 0, usage


def run_to_end(argv, data, end):
    """(wall ms, CPU ms, peak KB) from exec to exit; wall is None when the
    run had to be killed."""
    started = time.monotonic()
    proc = start(argv)
    writer = threading.Thread(target=feed, args=(proc.stdin, data, end, started), daemon=True)
    writer.start()
    timed_out, usage = wait_within_limit(proc)
    wall = None if timed_out else (time.monotonic() - started) * 1000
    writer.join()
    return wall, (usage.ru_utime + usage.ru_stime) * 1000, usage.ru_maxrss


def escape_latency(keys, argv, data):
    """Ms from an Escape press, once the window is up and the input written,
    to the exit; None when the run had to be killed."""
    proc = start(argv)
    writer = threading.Thread(target=write_pieces, args=(proc.stdin, data), daemon=True)
    writer.start()
    try:
        try:
            window = xdotool("search", "--sync", "--onlyvisible", "--pid",
                             str(proc.pid)).split()[0]
        except subprocess.CalledProcessError:
            return None  # no window came up to press Escape in: counts as longest
        xdotool("windowfocus", "--sync", window)
        writer.join()
        pressed = keys.press(ESCAPE_KEYSYM)
        timed_out, _ = wait_within_limit(proc)
        return None if timed_out else (time.monotonic() - pressed) * 1000
    finally:
        proc.kill()
        proc.wait()


def median_cell(values):
    """The median of ms values as a cell; a killed run counts as longest."""
    if any(value is None for value in values):
        ended = sorted(value for value in values if value is not None)
        if len(ended) <= len(values) // 2:
            return f"> {RUN_LIMIT_S * 1000:.0f} ms"
        return measure.ms(ended[len(values) // 2])
    return measure.ms(measure.median([{"v": v} for v in values], "v"))


def verdict(values, limit_ms):
    ended = [value for value in values if value is not None]
    if len(ended) < len(values):
        return f"< {limit_ms:.0f} ms MISS"
    median = measure.median([{"v": v} for v in ended], "v")
    return f"< {limit_ms:.0f} ms {'ok' if median < limit_ms else 'MISS'}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=15)
    runs = parser.parse_args().runs

    gauges = [("wrenpane", measure.WRENPANE)]
    if measure.BASELINE:
        gauges.append(("baseline wrenpane", measure.BASELINE))
    yad = [YAD, "--progress", "--auto-close", "--text=x"]
    texts = [("long line", gauge_line(), yad_line()), ("100-line block", gauge_block(), yad_block())]
    scenarios = []
    for text_name, gauge_data, yad_data in texts:
        for name, binary in gauges:
            scenarios.append((f"{name} --gauge, {text_name}", [binary, "--gauge", "x", "10", "40"],
                              gauge_data, b"EOF\n"))
        scenarios.append((f"yad --progress, {text_name}", yad, yad_data, b"100\n"))
    escapes = [(f"{name} --gauge, {text_name}", [binary, "--gauge", "x", "10", "40"], gauge_data)
               for text_name, gauge_data, _ in texts for name, binary in gauges]

    samples = {name: [] for name, _, _, _ in scenarios}
    latencies = {name: [] for name, _, _ in escapes}
    keys = KeyPresser()
    # One warm-up round, then interleaved rounds with a rotating order.
    for round_index in range(1 + runs):
        shift = round_index % len(scenarios)
        for name, argv, data, end in scenarios[shift:] + scenarios[:shift]:
            figures = run_to_end(argv, data, end)
            if round_index:
                samples[name].append(figures)
        for name, argv, data in escapes:
            latency = escape_latency(keys, argv, data)
            if round_index:
                latencies[name].append(latency)

    def median_of(name, index):
        return measure.median([{"v": figures[index]} for figures in samples[name]], "v")

    rows = []
    for name, argv, _, _ in scenarios:
        walls = [figures[0] for figures in samples[name]]
        yad_name = f"yad --progress, {name.split(', ')[-1]}"
        yad_peak = median_of(yad_name, 2)
        target = "" if argv[0] == YAD else verdict(walls, END_LIMIT_MS)
        rows.append([name, str(runs), median_cell(walls), measure.ms(median_of(name, 1)),
                     measure.mib(median_of(name, 2)), f"{median_of(name, 2) / yad_peak:.2f}",
                     target])
    for name, _, _ in escapes:
        rows.append([f"Escape: {name}", str(runs), median_cell(latencies[name]), "", "", "",
                     verdict(latencies[name], ESCAPE_LIMIT_MS)])

    print(f"Gauge text: exec to exit ('EOF' or yad's 100 sent {END_AFTER_S:g} s after exec),"
          f" CPU time and peak RSS; Escape: press to exit. Input written in {PIECE_BYTES}-byte"
          " pieces through a pipe. Medians.")
    print(measure.format_table(
        ["scenario", "runs", "wall", "CPU", "peak RSS", "RSS x yad", "target"], rows))


if __name__ == "__main__":
    main()
