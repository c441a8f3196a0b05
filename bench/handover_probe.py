#!/usr/bin/python3
"""Times a request to the running copy, from starting a command to the command's end and to
the clipboard changing hands (the running copy owning the converted text), as the X server
reports it through the XFIXES extension. Before each run the text is put back on the
clipboard with xclip. Alternates between the commands given, one per argument (a shell
command line each), and prints one line per run: index of the command, ms to its end, ms
to the clipboard converted, its exit status.

  handover_probe.py RUNS TEXT_FILE COMMAND...
"""
import ctypes
import select
import subprocess
import sys
import threading
import time

from x11_ctypes import x

xf = ctypes.cdll.LoadLibrary("libXfixes.so.3")
xf.XFixesQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
xf.XFixesSelectSelectionInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong]

SET_SELECTION_OWNER_NOTIFY_MASK = 1
DEADLINE_S = 15


def drain(display):
    event = (ctypes.c_long * 24)()
    while x.XPending(display):
        x.XNextEvent(display, event)


def wait_owner_change(display, notify, deadline):
    """Monotonic ns of the next selection-owner notice, or None at the deadline."""
    event = (ctypes.c_long * 24)()
    connection = x.XConnectionNumber(display)
    while True:
        if not x.XPending(display):
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            select.select([connection], [], [], left)
            continue
        x.XNextEvent(display, event)
        if event[0] & 0xFFFFFFFF == notify:
            return time.monotonic_ns()


def main():
    runs, text_file, commands = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
    display = x.XOpenDisplay(None)
    if not display:
        sys.exit("no X display")
    event_base, error_base = ctypes.c_int(), ctypes.c_int()
    if not xf.XFixesQueryExtension(display, ctypes.byref(event_base), ctypes.byref(error_base)):
        sys.exit("no XFIXES extension")
    notify = event_base.value  # XFixesSelectionNotify
    clipboard = x.XInternAtom(display, b"CLIPBOARD", 0)
    xf.XFixesSelectSelectionInput(display, x.XDefaultRootWindow(display), clipboard,
                                  SET_SELECTION_OWNER_NOTIFY_MASK)
    x.XSync(display, 0)
    for _ in range(runs):
        for index, command in enumerate(commands):
            with open(text_file, "rb") as text:
                subprocess.run(["xclip", "-i", "-selection", "clipboard"], stdin=text, check=True)
            # xclip's own notice, then nothing else queued.
            wait_owner_change(display, notify, time.monotonic() + DEADLINE_S)
            time.sleep(0.05)
            drain(display)
            start = time.monotonic_ns()
            child = subprocess.Popen(command, shell=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            ended = []
            waiter = threading.Thread(target=lambda: (child.wait(), ended.append(time.monotonic_ns())))
            waiter.start()
            converted = wait_owner_change(display, notify, time.monotonic() + DEADLINE_S)
            waiter.join(DEADLINE_S)
            status = child.returncode
            if converted is None or not ended:
                sys.exit("the clipboard was not converted, or the command did not end: " + command)
            print("%d %.2f %.2f %d" % (index, (ended[0] - start) / 1e6, (converted - start) / 1e6, status),
                  flush=True)


if __name__ == "__main__":
    main()
