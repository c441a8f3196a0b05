#!/usr/bin/python3
"""How long Tovrin's UI thread keeps callers waiting: every 100 ms asks the running
copy's object on the session bus to open no files (a call its UI thread refuses at
once), and, as the peer, the bus itself for its id. Prints
the longest wait for each, in seconds: "tovrin bus".

  ui_ping.py SECONDS
"""
import sys
import time

import dbus

NAME, PATH = "com.ardelon.Tovrin", "/com/ardelon/Tovrin"


def refused(program):
    try:
        program.Open(dbus.Array([], signature="s"), dbus.Dictionary({}, signature="sv"),
                     dbus_interface="org.freedesktop.Application", timeout=120)
    except dbus.exceptions.DBusException as e:
        if e.get_dbus_name() != "org.freedesktop.DBus.Error.NotSupported":
            raise


def main():
    seconds = float(sys.argv[1])
    bus = dbus.SessionBus()
    # Started with the program: from the moment its name is on the bus.
    while not bus.name_has_owner(NAME):
        time.sleep(0.02)
    program = bus.get_object(NAME, PATH, introspect=False)
    daemon = bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus", introspect=False)
    longest = {"tovrin": 0.0, "bus": 0.0}
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        started = time.monotonic()
        for who, ask in (("tovrin", lambda: refused(program)),
                         ("bus", lambda: daemon.GetId(dbus_interface="org.freedesktop.DBus", timeout=120))):
            sent = time.monotonic()
            ask()
            longest[who] = max(longest[who], time.monotonic() - sent)
        time.sleep(max(0.0, 0.1 - (time.monotonic() - started)))
    print("%.2f %.2f" % (longest["tovrin"], longest["bus"]))


if __name__ == "__main__":
    main()
