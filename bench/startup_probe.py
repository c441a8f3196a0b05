#!/usr/bin/python3
"""Starts a program on the current X display and reports, on one line, the time from
starting it to its first top-level window being mapped (ms), to that window's first
paint (ms: the first drawing into it the X server reports through the DAMAGE extension)
and its resident memory once idle (KiB), then ends it. Plain ctypes on libX11 and
libXdamage.

  startup_probe.py IDLE_SECONDS PROGRAM [ARGS...]
"""
import ctypes
import os
import select
import signal
import subprocess
import sys
import time

from x11_ctypes import x

xd = ctypes.cdll.LoadLibrary("libXdamage.so.1")
xd.XDamageQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
xd.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
xd.XDamageCreate.restype = ctypes.c_ulong

STRUCTURE_NOTIFY_MASK = 1 << 17
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
CREATE_NOTIFY = 16
MAP_NOTIFY = 19
DAMAGE_REPORT_NON_EMPTY = 3


def window_pid(display, window, atom):
    actual_type = ctypes.c_ulong()
    actual_format = ctypes.c_int()
    count = ctypes.c_ulong()
    after = ctypes.c_ulong()
    data = ctypes.c_void_p()
    if x.XGetWindowProperty(display, window, atom, 0, 1, 0, 0, ctypes.byref(actual_type),
                            ctypes.byref(actual_format), ctypes.byref(count), ctypes.byref(after),
                            ctypes.byref(data)) != 0 or not data.value:
        return None
    pid = ctypes.cast(data, ctypes.POINTER(ctypes.c_ulong))[0] if count.value else None
    x.XFree(data)
    return pid


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return -1


def main():
    idle = float(sys.argv[1])
    command = sys.argv[2:]
    display = x.XOpenDisplay(None)
    if not display:
        sys.exit("no X display")
    root = x.XDefaultRootWindow(display)
    pid_atom = x.XInternAtom(display, b"_NET_WM_PID", 0)
    x.XSelectInput(display, root, SUBSTRUCTURE_NOTIFY_MASK)
    x.XSync(display, 0)

    damage_event, damage_error = ctypes.c_int(), ctypes.c_int()
    if not xd.XDamageQueryExtension(display, ctypes.byref(damage_event), ctypes.byref(damage_error)):
        sys.exit("no DAMAGE extension")
    damage_notify = damage_event.value

    event = (ctypes.c_long * 24)()
    start = time.monotonic_ns()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    mapped = painted = window = None
    watched = set()
    deadline = time.monotonic() + float(os.environ.get("STARTUP_PROBE_DEADLINE", "30"))
    connection = x.XConnectionNumber(display)
    while painted is None:
        # Never block in XNextEvent: with nothing queued, wait on the socket until the deadline.
        if not x.XPending(display):
            left = deadline - time.monotonic()
            if left <= 0:
                break
            select.select([connection], [], [], left)
            continue
        x.XNextEvent(display, event)
        stamp = time.monotonic_ns()
        kind = event[0] & 0xFFFFFFFF
        if kind == CREATE_NOTIFY and event[4] == root:
            # Watched from its creation, so that no drawing can come before the watch. A window
            # manager reparents the window into its frame before mapping it, so the root no
            # longer hears of the map: listen on the window itself as well.
            xd.XDamageCreate(display, event[5], DAMAGE_REPORT_NON_EMPTY)
            x.XSelectInput(display, event[5], STRUCTURE_NOTIFY_MASK)
            x.XFlush(display)
            watched.add(event[5])
        elif kind == MAP_NOTIFY and mapped is None:
            candidate, override_redirect = event[5], event[6] & 0xFFFFFFFF
            if not override_redirect and window_pid(display, candidate, pid_atom) == child.pid:
                mapped, window = stamp, candidate
        elif kind == damage_notify and window is not None and event[4] == window:
            painted = stamp
    if painted is None or window not in watched:
        child.kill()
        sys.exit("no window mapped and painted")
    time.sleep(idle)
    memory = rss_kib(child.pid)
    child.send_signal(signal.SIGTERM)
    try:
        child.wait(5)
    except subprocess.TimeoutExpired:
        child.kill()
    print("%.2f %.2f %d" % ((mapped - start) / 1e6, (painted - start) / 1e6, memory))


if __name__ == "__main__":
    main()
