"""Tailbox benchmark: a log growing by 10 lines a second, followed by
wrenpane --tailbox, against yad --text-info --tail --filename.

Each run starts the program on a log of 1,000 lines, waits until it has
neither used CPU time nor woken up for a second (at most 15 s), then
measures over the same span of seconds:
- idle: the file does not change;
- growing: a line is appended every 100 ms.
Figures per phase: CPU time as a share of one core, and wake-ups per second
(voluntary context switches of all the process's threads). At the end the
run checks whether the program follows the file: whether it has read it to
its new end (the position of its descriptor on the file, from
/proc/PID/fdinfo). yad opens the file, reads it once and keeps it open
without reading on: it does not follow, so its growing figures are those
of a window that shows nothing new.

Targets: wrenpane uses no CPU and has no wake-ups while the file does not
change (below 0.1 % and 1 a second), and follows the file.
"""

import argparse
import os
import statistics
import subprocess
import threading
import time

import measure

YAD = "/usr/bin/yad"
PHASE_S = 10.0
LINE_EVERY_S = 0.1
SETTLE_S = 1.0
SETTLE_LIMIT_S = 15.0
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
IDLE_CPU_LIMIT = 0.1  # percent of one core
IDLE_WAKEUPS_LIMIT = 1.0  # a second


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime


def wakeups(pid):
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as status:
                for line in status:
                    if line.startswith("voluntary_ctxt_switches:"):
                        total += int(line.split()[1])
        except FileNotFoundError:  # a thread that ended meanwhile
            pass
    return total


def settle(pid):
    """Waits until the process has neither used CPU time nor woken up for
    SETTLE_S (the window is up, the file read, and the scroll bar's
    animations after the first scroll to the end are over), or at most
    SETTLE_LIMIT_S: a program that polls never settles."""
    deadline = time.monotonic() + SETTLE_LIMIT_S
    last, since = (cpu_ticks(pid), wakeups(pid)), time.monotonic()
    while time.monotonic() < deadline:
        time.sleep(0.2)
        now = (cpu_ticks(pid), wakeups(pid))
        if now != last:
            last, since = now, time.monotonic()
        elif time.monotonic() - since >= SETTLE_S:
            return


def phase(pid, writer=None):
    """CPU share (percent of one core) and wake-ups a second over PHASE_S."""
    ticks, switches, start = cpu_ticks(pid), wakeups(pid), time.monotonic()
    if writer:
        writer(PHASE_S)
    else:
        time.sleep(PHASE_S)
    seconds = time.monotonic() - start
    cpu = (cpu_ticks(pid) - ticks) / CLOCK_TICKS / seconds * 100
    # A thread that ends takes its count with it: never below 0.
    return cpu, max(0.0, (wakeups(pid) - switches) / seconds)


def grow(path, counter):
    def write_for(seconds):
        end = time.monotonic() + seconds
        next_line = time.monotonic()
        while next_line < end:
            with open(path, "a") as log:
                log.write(f"{counter[0]:08d} service: request handled in 12 ms, status ok\n")
            counter[0] += 1
            next_line += LINE_EVERY_S
            time.sleep(max(0.0, next_line - time.monotonic()))
    return write_for


def read_to(pid, path):
    """How far the process has read the file, or None without a descriptor
    on it."""
    for fd in os.listdir(f"/proc/{pid}/fd"):
        try:
            if os.readlink(f"/proc/{pid}/fd/{fd}") != path:
                continue
            with open(f"/proc/{pid}/fdinfo/{fd}") as info:
                return int(info.readline().split()[1])
        except (FileNotFoundError, ValueError):
            pass
    return None


def run_once(name, argv_for, path):
    with open(path, "w") as log:
        log.writelines(f"{n:08d} service: started\n" for n in range(1000))
    counter = [1000]
    process = subprocess.Popen(argv_for(path), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        settle(process.pid)
        idle = phase(process.pid)
        growing = phase(process.pid, grow(path, counter))
        deadline = time.monotonic() + 2
        size = os.path.getsize(path)
        while time.monotonic() < deadline and read_to(process.pid, path) != size:
            time.sleep(0.1)
        follows = read_to(process.pid, path) == size
    finally:
        process.kill()
        process.wait()
    return {"idle_cpu": idle[0], "idle_wakeups": idle[1], "grow_cpu": growing[0],
            "grow_wakeups": growing[1], "follows": follows}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=15)
    runs = max(1, parser.parse_args().runs // 3)  # each run takes over 20 s
    path = os.path.join(measure.BUILD, "bench", "tailbox.log")
    programs = {
        "wrenpane --tailbox": lambda p: [measure.WRENPANE, "--tailbox", p, "0", "0"],
        "yad --text-info --tail": lambda p: [YAD, "--text-info", "--tail", f"--filename={p}"],
    }
    samples = {name: [] for name in programs}
    names = list(programs)
    for round_index in range(runs):
        shift = round_index % len(names)
        for name in names[shift:] + names[:shift]:
            samples[name].append(run_once(name, programs[name], path))

    def med(name, key):
        return statistics.median(sample[key] for sample in samples[name])

    rows = []
    for name in names:
        follows = all(sample["follows"] for sample in samples[name])
        for key, figure, unit in (("idle_cpu", "CPU, idle", "%"),
                                  ("idle_wakeups", "wake-ups/s, idle", ""),
                                  ("grow_cpu", "CPU, growing", "%"),
                                  ("grow_wakeups", "wake-ups/s, growing", "")):
            value = med(name, key)
            target = ""
            if name.startswith("wrenpane") and key == "idle_cpu":
                target = f"< {IDLE_CPU_LIMIT} % {'ok' if value < IDLE_CPU_LIMIT else 'MISS'}"
            elif name.startswith("wrenpane") and key == "idle_wakeups":
                target = f"< {IDLE_WAKEUPS_LIMIT:g} {'ok' if value < IDLE_WAKEUPS_LIMIT else 'MISS'}"
            rows.append([name, str(runs), figure, f"{value:.2f}{unit}", target])
        rows.append([name, str(runs), "follows the file", "yes" if follows else "no",
                     "yes ok" if follows or not name.startswith("wrenpane") else "yes MISS"])
    print(f"Tailbox on a log growing by {1 / LINE_EVERY_S:g} lines a second: CPU (share of one"
          f" core) and wake-ups over {PHASE_S:g} s idle, then {PHASE_S:g} s growing. Medians.")
    print(measure.format_table(["scenario", "runs", "figure", "median", "target"], rows))


if __name__ == "__main__":
    main()
