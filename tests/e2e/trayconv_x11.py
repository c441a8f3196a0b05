#!/usr/bin/env python3
"""X11 helpers for the tray conversion journeys (plain ctypes on libX11, no extra
packages):

  bells FILE              append one line to FILE for every bell rung on the display
  hold                    own the CLIPBOARD and never answer a request ("ready" once owned)
  owner                   print the CLIPBOARD owner's window id (0 for none)
  wait-owner OLD SECONDS  wait until the CLIPBOARD has an owner other than OLD; print
                          it and the wall-clock time (ns) it was seen
  close WINDOW            ask a window to close, as its close box does (WM_DELETE_WINDOW)
  ping WINDOW             ask the window's program again and again whether it is alive
                          (_NET_WM_PING, which Qt answers on its user-interface thread);
                          print "rtt MS" for each answer
"""
import ctypes
import select
import sys
import time

x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 4 + [
    ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
x.XCreateSimpleWindow.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XInternAtom.restype = ctypes.c_ulong
x.XSetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong]
x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XGetSelectionOwner.restype = ctypes.c_ulong
x.XFlush.argtypes = [ctypes.c_void_p]
x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XkbQueryExtension.argtypes = [ctypes.c_void_p] + [ctypes.POINTER(ctypes.c_int)] * 5
x.XkbSelectEvents.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]

XKB_USE_CORE_KBD = 0x100
XKB_BELL_NOTIFY = 8
XKB_BELL_NOTIFY_MASK = 1 << 8


def display():
    d = x.XOpenDisplay(None)
    if not d:
        sys.exit("cannot open the display")
    return d


def clipboard_owner(d):
    return x.XGetSelectionOwner(d, x.XInternAtom(d, b"CLIPBOARD", 0))


def bells(path):
    d = display()
    opcode, event_base, error_base = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
    major, minor = ctypes.c_int(1), ctypes.c_int(0)
    if not x.XkbQueryExtension(d, ctypes.byref(opcode), ctypes.byref(event_base),
                               ctypes.byref(error_base), ctypes.byref(major), ctypes.byref(minor)):
        sys.exit("no XKB on this display")
    x.XkbSelectEvents(d, XKB_USE_CORE_KBD, XKB_BELL_NOTIFY_MASK, XKB_BELL_NOTIFY_MASK)
    x.XSync(d, 0)
    with open(path, "a") as out:
        out.write("listening\n")
        out.flush()
        event = ctypes.create_string_buffer(192)
        while True:
            x.XNextEvent(d, event)
            etype = ctypes.c_int.from_buffer(event, 0).value
            xkb_type = ctypes.c_int.from_buffer(event, 40).value
            if etype == event_base.value and xkb_type == XKB_BELL_NOTIFY:
                out.write("bell %.3f\n" % time.monotonic())
                out.flush()


def hold():
    d = display()
    w = x.XCreateSimpleWindow(d, x.XDefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0)
    x.XSetSelectionOwner(d, x.XInternAtom(d, b"CLIPBOARD", 0), w, 0)
    x.XSync(d, 0)
    if clipboard_owner(d) != w:
        sys.exit("could not take the clipboard")
    print("ready", flush=True)
    while True:  # never reads its events, so never answers
        time.sleep(3600)


def wait_owner(old, seconds):
    d = display()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        now = clipboard_owner(d)
        if now not in (0, old):
            print(now, time.time_ns())
            return 0
        time.sleep(0.002)
    return 1


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]


def close(window):
    d = display()
    event = ClientMessage()
    event.type = 33  # ClientMessage
    event.window = window
    event.message_type = x.XInternAtom(d, b"WM_PROTOCOLS", 0)
    event.format = 32
    event.data[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
    event.data[1] = 0  # CurrentTime
    x.XSendEvent(d, window, 0, 0, ctypes.byref(event))
    x.XSync(d, 0)


def ping(window):
    d = display()
    root = x.XDefaultRootWindow(d)
    x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    x.XSelectInput(d, root, 1 << 17)  # StructureNotifyMask: where Qt sends the answers
    x.XConnectionNumber.argtypes = [ctypes.c_void_p]
    x.XPending.argtypes = [ctypes.c_void_p]
    protocols = x.XInternAtom(d, b"WM_PROTOCOLS", 0)
    net_wm_ping = x.XInternAtom(d, b"_NET_WM_PING", 0)
    fd = x.XConnectionNumber(d)
    answer = ClientMessage()
    serial = 0
    while True:
        serial += 1
        event = ClientMessage()
        event.type = 33
        event.window = window
        event.message_type = protocols
        event.format = 32
        event.data[0] = net_wm_ping
        event.data[1] = serial
        event.data[2] = window
        sent = time.monotonic()
        x.XSendEvent(d, window, 0, 0, ctypes.byref(event))
        x.XFlush(d)
        while True:
            while not x.XPending(d):
                select.select([fd], [], [], 1.0)
            x.XNextEvent(d, ctypes.byref(answer))
            if answer.type == 33 and answer.data[0] == net_wm_ping and answer.data[1] == serial:
                break
        print("rtt %d" % ((time.monotonic() - sent) * 1000), flush=True)
        time.sleep(0.02)


if __name__ == "__main__":
    cmd = sys.argv[1] if len(sys.argv) > 1 else ""
    if cmd == "bells":
        bells(sys.argv[2])
    elif cmd == "hold":
        hold()
    elif cmd == "owner":
        print(clipboard_owner(display()))
    elif cmd == "wait-owner":
        sys.exit(wait_owner(int(sys.argv[2]), float(sys.argv[3])))
    elif cmd == "close":
        close(int(sys.argv[2], 0))
    elif cmd == "ping":
        ping(int(sys.argv[2], 0))
    else:
        sys.exit(__doc__)
