#!/usr/bin/env bash
# Start-up time (from starting the program to its main window being mapped) and resident
# memory once idle, for tovrin and for a minimal Qt Widgets program showing one empty
# window (and the same with one line of text), run in turn on a private X server with a
# private session bus, as on a desktop (no window manager; first run: no settings, so
# tovrin shows its main window). NO_SESSION_BUS=1 leaves the bus out.
#
#   bench/startup.sh [BUILD_DIR] [RUNS]      (defaults: build/, 20)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-20}
idle=1.5
probe="$root/bench/startup_probe.py"
tovrin="$build/src/tovrin"
minimal="$build/bench/minimal_qt"
[ -x "$tovrin" ] && [ -x "$minimal" ] || { echo "build first: $tovrin, $minimal" >&2; exit 1; }

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

# Warm the file and font caches once for each.
"$probe" 0.2 "$tovrin" >/dev/null
"$probe" 0.2 "$minimal" >/dev/null
: >"$tmp/tovrin" >"$tmp/minimal" >"$tmp/text"
for _ in $(seq "$runs"); do
  "$probe" "$idle" "$tovrin" >>"$tmp/tovrin"
  "$probe" "$idle" "$minimal" >>"$tmp/minimal"
  "$probe" "$idle" "$minimal" --text >>"$tmp/text"
done

/usr/bin/python3 - "$tmp" "$runs" <<'PY'
import statistics, sys
def load(name):
    rows = [tuple(map(float, line.split())) for line in open(sys.argv[1] + "/" + name) if line.strip()]
    return [r[0] for r in rows], [r[1] / 1024 for r in rows]
med = statistics.median
peer_ms, peer_mib = load("minimal")
print("runs: %s each, in turn" % sys.argv[2])
print("%-20s %10s %8s %8s %9s %8s %10s" % ("", "median ms", "min ms", "max ms", "× minimal", "RSS MiB", "Δ RSS MiB"))
for label, name in (("tovrin", "tovrin"), ("minimal Qt", "minimal"), ("minimal Qt + text", "text")):
    ms, mib = load(name)
    print("%-20s %10.1f %8.1f %8.1f %9.2f %8.1f %+10.1f" % (label, med(ms), min(ms), max(ms), med(ms) / med(peer_ms),
                                                       med(mib), med(mib) - med(peer_mib)))
PY
