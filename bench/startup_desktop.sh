# Sourced by the start-up benchmarks: a private X server (1280x1024, 96 dpi, no window
# manager), a private session bus unless NO_SESSION_BUS is set, empty settings and a
# runtime folder of its own, all removed on exit. Leaves the folder in $tmp.
tmp=$(mktemp -d /tmp/tovrin-startup.XXXXXX)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$tmp"; }
trap cleanup EXIT
for n in $(seq 60 250); do [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break; done
export DISPLAY=":$n"
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp -dpi 96 >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY
if [ -z "${NO_SESSION_BUS:-}" ]; then
  read -r address bus_pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -s -d ' ')
  pids+=("$bus_pid")
  export DBUS_SESSION_BUS_ADDRESS=$address
fi
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$tmp/runtime" XDG_CONFIG_HOME="$tmp/config"
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
