#!/usr/bin/python3
"""A minimal StatusNotifier watcher and host on the session bus, and a client that
talks to a registered item the way a desktop panel does.

  sni_host.py serve LOG          watcher + host; logs "item NAME PATH" per registration
  sni_host.py items              the items the session's watcher (any panel's) knows, one a line
  sni_host.py tooltip NAME PATH  prints the item's tool tip title
  sni_host.py menu NAME PATH     prints the exported menu, one item a line, indented
  sni_host.py activate NAME PATH the host's activation (a click on the icon)
  sni_host.py contextmenu NAME PATH  a host asking the program to show its menu
  sni_host.py click NAME PATH LABEL   chooses the menu item with that label
"""
import os
import sys
import time

import dbus

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"

INTROSPECTION = """<!DOCTYPE node PUBLIC "-//freedesktop//DTD D-BUS Object Introspection 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd">
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
    <method name="GetAll"><arg type="s" direction="in"/><arg type="a{sv}" direction="out"/></method>
  </interface>
  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg type="s" direction="out"/></method>
  </interface>
</node>
"""


def serve(log_path):
    import dbus.service
    import dbus.mainloop.glib
    from gi.repository import GLib

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()

    def log(line):
        with open(log_path, "a") as f:
            f.write(line + "\n")

    class Watcher(dbus.service.Object):
        def __init__(self):
            super().__init__(bus, "/StatusNotifierWatcher")
            self.items = []
            self.hosts = []

        @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
        def RegisterStatusNotifierItem(self, service, sender=None):
            # Either a bus name (the item at /StatusNotifierItem) or an object path.
            if service.startswith("/"):
                name, path = sender, service
            else:
                name, path = service, "/StatusNotifierItem"
            if name + path in self.items:
                return
            self.items.append(name + path)
            self.StatusNotifierItemRegistered(name + path)
            log("item %s %s" % (name, path))

        # As panels do: an item whose bus name goes away is gone.
        def name_changed(self, name, old_owner, new_owner):
            if new_owner:
                return
            self.items = [i for i in self.items if not i.startswith(name + "/")]

        @dbus.service.method(WATCHER, in_signature="s")
        def RegisterStatusNotifierHost(self, service):
            self.hosts.append(service)
            self.StatusNotifierHostRegistered()

        @dbus.service.signal(WATCHER, signature="s")
        def StatusNotifierItemRegistered(self, service):
            pass

        @dbus.service.signal(WATCHER, signature="")
        def StatusNotifierHostRegistered(self):
            pass

        # Qt reads the properties only if the introspection data declares them.
        @dbus.service.method(dbus.INTROSPECTABLE_IFACE, in_signature="", out_signature="s")
        def Introspect(self):
            return INTROSPECTION

        @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
        def Get(self, interface, prop):
            return self.GetAll(interface)[prop]

        @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
        def GetAll(self, interface):
            return {
                "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
                "IsStatusNotifierHostRegistered": dbus.Boolean(bool(self.hosts)),
                "ProtocolVersion": dbus.Int32(0),
            }

    watcher_name = dbus.service.BusName(WATCHER, bus)
    watcher = Watcher()
    bus.add_signal_receiver(watcher.name_changed, "NameOwnerChanged", dbus.BUS_DAEMON_IFACE,
                            dbus.BUS_DAEMON_NAME, dbus.BUS_DAEMON_PATH)
    # The host side: a panel that shows items registers itself with the watcher.
    host_name = "org.kde.StatusNotifierHost-%d" % os.getpid()
    host = dbus.service.BusName(host_name, bus)
    watcher.RegisterStatusNotifierHost(host_name)
    log("ready")
    _ = (watcher_name, host)
    GLib.MainLoop().run()


def item(name, path):
    return dbus.SessionBus().get_object(name, path)


def prop(obj, interface, name):
    return obj.Get(interface, name, dbus_interface=dbus.PROPERTIES_IFACE)


# What xfce4-panel and waybar (libdbusmenu) ask for, recorded with dbus-monitor.
DRAWN = ["type", "label", "visible", "enabled", "children-display", "accessible-desc"]


def layout(name, path):
    obj = item(name, path)
    menu_path = prop(obj, ITEM, "Menu")
    menu = dbus.SessionBus().get_object(name, menu_path)
    _, root = menu.GetLayout(0, -1, dbus.Array(DRAWN, signature="s"), dbus_interface=MENU)
    return menu, root


def walk(node, depth=0):
    ident, props, children = node
    if depth > 0:
        if props.get("type") == "separator":
            label = "-"
        else:
            label = str(props.get("label", ""))
            if not props.get("visible", True):
                label += " (hidden)"
        yield depth, int(ident), label
    for child in children:
        yield from walk(child, depth + 1)


def main():
    command = sys.argv[1]
    if command == "serve":
        serve(sys.argv[2])
        return
    if command == "items":
        watcher = dbus.SessionBus().get_object(WATCHER, "/StatusNotifierWatcher")
        for entry in prop(watcher, WATCHER, "RegisteredStatusNotifierItems"):
            print(entry)
        return
    name, path = sys.argv[2], sys.argv[3]
    if command == "tooltip":
        _icon, _pixmaps, title, _text = prop(item(name, path), ITEM, "ToolTip")
        print(title)
    elif command == "menu":
        _, root = layout(name, path)
        for depth, _ident, label in walk(root):
            print("  " * (depth - 1) + label)
    elif command == "activate":
        item(name, path).Activate(dbus.Int32(0), dbus.Int32(0), dbus_interface=ITEM)
    elif command == "contextmenu":
        item(name, path).ContextMenu(dbus.Int32(640), dbus.Int32(400), dbus_interface=ITEM)
    elif command == "click":
        # As those panels do: the menu about to open, then the click as an event group.
        menu, root = layout(name, path)
        menu.AboutToShowGroup(dbus.Array([0], signature="i"), dbus_interface=MENU)
        for _depth, ident, label in walk(root):
            if label == sys.argv[4]:
                event = (dbus.Int32(ident), "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(int(time.time())))
                errors = menu.EventGroup(dbus.Array([event], signature="(isvu)"), dbus_interface=MENU)
                if errors:
                    sys.exit("the menu refused item %d" % ident)
                return
        sys.exit("no menu item labelled %r" % sys.argv[4])
    else:
        sys.exit("unknown command " + command)


if __name__ == "__main__":
    main()
