"""One start-up run on the sway compositor named by SWAYSOCK: what
bench/maptime.c does on X11.

It subscribes to sway's window events, starts the clock, starts the command
and stops the clock at the first "new" window event whose pid is the
child's. sway sends that event when it maps the window, which on Wayland is
when the client commits its first frame. The peak resident memory (VmHWM) is
read at that moment, then the child is killed. Prints "map_ms=... hwm_kb=...
width=... height=...", the last two the window's size as sway maps it.

Usage: wayland_maptime.py [--timeout S] COMMAND [ARG...]
"""

import json
import os
import select
import signal
import socket
import struct
import subprocess
import sys
import time

MAGIC = b"i3-ipc"
SUBSCRIBE = 2
WINDOW_EVENT = 0x80000003
HEADER = struct.Struct("<II")


def receive_exactly(connection, size):
    data = b""
    while len(data) < size:
        chunk = connection.recv(size - len(data))
        if not chunk:
            raise RuntimeError("sway closed its socket")
        data += chunk
    return data


def receive_message(connection):
    header = receive_exactly(connection, len(MAGIC) + HEADER.size)
    length, kind = HEADER.unpack(header[len(MAGIC):])
    return kind, json.loads(receive_exactly(connection, length))


def subscribe_to_windows():
    connection = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    connection.connect(os.environ["SWAYSOCK"])
    payload = b'["window"]'
    connection.sendall(MAGIC + HEADER.pack(len(payload), SUBSCRIBE) + payload)
    kind, reply = receive_message(connection)
    if kind != SUBSCRIBE or not reply.get("success"):
        raise RuntimeError(f"sway refused the subscription: {reply}")
    return connection


def peak_rss_kb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    raise RuntimeError("no VmHWM")


def main():
    args = sys.argv[1:]
    timeout = 30.0
    if args[:1] == ["--timeout"]:
        timeout = float(args[1])
        args = args[2:]
    connection = subscribe_to_windows()
    start = time.monotonic()
    child = subprocess.Popen(args)
    deadline = start + timeout
    try:
        while True:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([connection], [], [], left)[0]:
                raise SystemExit(f"wayland_maptime: no window within {timeout:g} s")
            kind, event = receive_message(connection)
            if (kind == WINDOW_EVENT and event.get("change") == "new"
                    and event["container"].get("pid") == child.pid):
                map_ms = (time.monotonic() - start) * 1000
                size = event["container"]["geometry"]
                print(f"map_ms={map_ms:.2f} hwm_kb={peak_rss_kb(child.pid)}"
                      f" width={size['width']} height={size['height']}")
                return
    finally:
        child.send_signal(signal.SIGKILL)
        child.wait()


if __name__ == "__main__":
    main()
