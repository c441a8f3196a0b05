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

# How many processes run this binary in this test's session (other tests may run the
# same binary at the same time).
tovrin_process_count() {
  local pid n=0
  for pid in $(pgrep -x -f "$TOVRIN_BIN( .*)?"); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR" && n=$((n + 1))
  done
  echo "$n"
}
