# Shared by the journeys through the session bus: a private `dbus-daemon --session`
# for this test alone, and calls on the running copy with gdbus. Source after lib.sh.

BUS_NAME=com.ardelon.Tovrin
BUS_PATH=/com/ardelon/Tovrin

bus_start() { e2e_start_session_bus; }

# The unique name of the running copy, empty when the name is not owned.
bus_owner() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetNameOwner "$BUS_NAME" 2>/dev/null | sed -n "s/^('\(.*\)',)$/\1/p"
}
bus_owned() { [ -n "$(bus_owner)" ]; }

# A method of org.freedesktop.Application; prints gdbus's answer (or its error).
bus_call() { # method args...
  local method=$1; shift
  timeout 10 gdbus call --session --dest "$BUS_NAME" --object-path "$BUS_PATH" \
    --method "org.freedesktop.Application.$method" "$@" 2>&1
}
bus_action() { bus_call ActivateAction "$1" "[]" "{}"; }

# Calls ActivateAction(NAME) N times without waiting for the answers, as fast as the bus
# takes them; with SIZE, one call whose name is SIZE bytes long.
bus_flood() { # name count [size]
  "$E2E_PY" - "$BUS_NAME" "$BUS_PATH" "$@" <<'PY'
import sys, dbus
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib
DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
app = dbus.Interface(bus.get_object(sys.argv[1], sys.argv[2], introspect=False), "org.freedesktop.Application")
name, count = sys.argv[3], int(sys.argv[4])
if len(sys.argv) > 5:
    name = "x" * int(sys.argv[5])
loop = GLib.MainLoop()
left = [count]
def done(*_):
    left[0] -= 1
    if left[0] == 0:
        loop.quit()
for _ in range(count):
    app.ActivateAction(name, dbus.Array([], signature="v"), dbus.Dictionary({}, signature="sv"),
                       reply_handler=done, error_handler=done, timeout=600)
loop.run()
PY
}

# How many processes run this binary in this test's session (other tests may run the
# same binary at the same time).
tovrin_process_count() {
  local pid n=0
  for pid in $(pgrep -x -f "$TOVRIN_BIN( .*)?"); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR" && n=$((n + 1))
  done
  echo "$n"
}
