"""Stream benchmark: a pipe of 5,000,000 numbered lines into --progressbox,
against zenity --text-info --auto-scroll and yad --text-info --tail reading
the same pipe, and a writer of 50 MB/s into --programbox.

Scenarios:
- `seq 1 5000000 |` into each program (39 MB through a pipe). A program has
  settled once the writer has ended and the program has used no CPU for
  300 ms: the whole input is read and shown. --progressbox closes itself at
  the end of its input, so its figure is exec to exit; --programbox shows
  the same and stays up, so it settles as the peers do. Figures: the time
  from exec to settling, the peak resident memory (VmHWM) and the CPU time
  (user + system) by then. A peer still busy after 60 s is killed and
  reported as "did not settle".
- a writer of 50 MB/s (lines of 100 bytes) into --programbox: 2 s after the
  window is up, Escape is pressed through XTEST; the time from the press to
  the exit, and the peak resident memory before the press.

Targets: --progressbox settles within 0.1 times zenity's time and with at
most 0.2 times its peak memory, ahead of yad on each figure; Escape to exit
under 100 ms.
"""

import argparse
import os
import subprocess
import sys
import threading
import time

import measure
from bench_gauge import ESCAPE_KEYSYM, KeyPresser, xdotool

LINES = 5_000_000
PEER_TIMEOUT_S = 60
IDLE_S = 0.3
POLL_S = 0.02
TIME_LIMIT = 0.1
MEMORY_LIMIT = 0.2
ESCAPE_LIMIT_MS = 100.0
FLOOD_BEFORE_ESCAPE_S = 2.0
ZENITY = "/usr/bin/zenity"
YAD = "/usr/bin/yad"
TICKS = os.sysconf("SC_CLK_TCK")


def cpu_ms(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) * 1000 / TICKS


def hwm_kb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def run_until_settled(argv):
    """(ms to settle or exit, peak RSS KiB, CPU ms), or None when the program
    had not settled after PEER_TIMEOUT_S."""
    writer = subprocess.Popen(["seq", "1", str(LINES)], stdout=subprocess.PIPE)
    start = time.monotonic()
    proc = subprocess.Popen(argv, stdin=writer.stdout, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    writer.stdout.close()
    try:
        last_cpu, quiet_since, peak = -1.0, None, 0
        while time.monotonic() - start < PEER_TIMEOUT_S:
            pid, status, usage = os.wait4(proc.pid, os.WNOHANG)
            if pid:
                proc.returncode = os.waitstatus_to_exitcode(status)
                return ((time.monotonic() - start) * 1000, usage.ru_maxrss,
                        (usage.ru_utime + usage.ru_stime) * 1000)
            now = time.monotonic()
            try:
                cpu, peak = cpu_ms(proc.pid), hwm_kb(proc.pid)
            except OSError:
                continue
            if cpu != last_cpu or writer.poll() is None:
                last_cpu, quiet_since = cpu, now
            elif now - quiet_since >= IDLE_S:
                return (quiet_since - start) * 1000, peak, cpu
            time.sleep(POLL_S)
        return None
    finally:
        for process in (proc, writer):
            if process.poll() is None:
                process.kill()
                process.wait()


# Lines of 100 bytes at 50 MB/s, in pieces of 1 MB, until the reader goes.
PACED_WRITER = """
import sys, time
piece = (b"%099d\\n" % 0) * 10_000
start = time.monotonic()
sent = 0
try:
    while True:
        sys.stdout.buffer.write(piece)
        sys.stdout.buffer.flush()
        sent += 1
        pause = start + sent * len(piece) / 50e6 - time.monotonic()
        if pause > 0:
            time.sleep(pause)
except BrokenPipeError:
    pass
"""


def escape_while_written(keys):
    """(ms from Escape to exit, peak RSS KiB before it) of a programbox fed
    50 MB/s."""
    writer = subprocess.Popen([sys.executable, "-c", PACED_WRITER], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL)
    proc = subprocess.Popen([measure.WRENPANE, "--programbox", "Working", "0", "0"],
                            stdin=writer.stdout, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    writer.stdout.close()
    try:
        window = xdotool("search", "--sync", "--onlyvisible", "--pid", str(proc.pid)).split()[0]
        xdotool("windowfocus", "--sync", window)
        time.sleep(FLOOD_BEFORE_ESCAPE_S)
        if proc.poll() is not None:
            raise RuntimeError("the programbox ended before Escape")
        peak = hwm_kb(proc.pid)
        pressed = keys.press(ESCAPE_KEYSYM)
        proc.wait(timeout=PEER_TIMEOUT_S)
        return (time.monotonic() - pressed) * 1000, peak
    finally:
        for process in (proc, writer):
            process.kill()
            process.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=15)
    # Each peer run can take a minute: a fifth of the runs, at least 3.
    runs = max(3, parser.parse_args().runs // 5)

    scenarios = [
        ("wrenpane --progressbox", [measure.WRENPANE, "--progressbox", "0", "0"]),
        ("wrenpane --programbox", [measure.WRENPANE, "--programbox", "0", "0"]),
        ("zenity --text-info --auto-scroll", [ZENITY, "--text-info", "--auto-scroll"]),
        ("yad --text-info --tail", [YAD, "--text-info", "--tail"]),
    ]
    samples = {name: [] for name, _ in scenarios}
    escapes = []
    keys = KeyPresser()
    for round_index in range(1 + runs):
        shift = round_index % len(scenarios)
        for name, argv in scenarios[shift:] + scenarios[:shift]:
            figures = run_until_settled(argv)
            if round_index:
                samples[name].append(figures)
        escape = escape_while_written(keys)
        if round_index:
            escapes.append(escape)
        # Each round as it is measured, for a run that is cut short.
        print(f"round {round_index}:", {n: s[-1] for n, s in samples.items() if s}, escape,
              file=sys.stderr, flush=True)

    def med(name, index):
        settled = [s for s in samples[name] if s is not None]
        if len(settled) <= len(samples[name]) // 2:
            return None
        return measure.median([{"v": s[index]} for s in settled], "v")

    zenity = scenarios[2][0]
    rows = []
    for name, _ in scenarios:
        wall, peak, cpu = med(name, 0), med(name, 1), med(name, 2)
        if wall is None:
            rows.append([name, str(runs), f"did not settle in {PEER_TIMEOUT_S} s", "", "", "", "",
                         ""])
            continue
        ratios, target = ["", ""], ""
        if med(zenity, 0) is not None and name != zenity:
            ratios = [f"{wall / med(zenity, 0):.2f}", f"{peak / med(zenity, 1):.2f}"]
            if name == scenarios[0][0]:
                met = wall <= TIME_LIMIT * med(zenity, 0) and peak <= MEMORY_LIMIT * med(zenity, 1)
                target = f"<= {TIME_LIMIT:g} / {MEMORY_LIMIT:g} {'ok' if met else 'MISS'}"
        rows.append([name, str(runs), measure.ms(wall), measure.mib(peak), measure.ms(cpu),
                     *ratios, target])
    escape_ms = measure.median([{"v": e[0]} for e in escapes], "v")
    escape_kb = measure.median([{"v": e[1]} for e in escapes], "v")
    verdict = "ok" if escape_ms < ESCAPE_LIMIT_MS else "MISS"
    rows.append(["programbox at 50 MB/s, Escape to exit", str(runs), measure.ms(escape_ms),
                 measure.mib(escape_kb), "", "", "", f"< {ESCAPE_LIMIT_MS:.0f} ms {verdict}"])
    print(f"Streams: seq 1 {LINES} through a pipe, exec to settled (input read and shown, CPU"
          " quiet) or to exit; peak RSS and CPU by then. Medians; ratios to zenity.")
    print(measure.format_table(["scenario", "runs", "settled", "peak RSS", "CPU", "x zenity time",
                                "x zenity memory", "target"], rows))


if __name__ == "__main__":
    main()
