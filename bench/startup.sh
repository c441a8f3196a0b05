#!/usr/bin/env bash
# Start-up time (from starting the program to its main window being mapped, and to its
# first paint) and resident memory once idle, for tovrin and for a minimal Qt Widgets
# program showing one bare window, one window with a label, and the main window's
# content in plain Qt (bench/minimal_qt --widgets), run in turn on a private
# X server with a private session bus, as on a desktop (no window manager; first run: no
# settings, so tovrin shows its main window). NO_SESSION_BUS=1 leaves the bus out.
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

source "$root/bench/startup_desktop.sh"

# Warm the file and font caches once for each.
"$probe" 0.2 "$tovrin" >/dev/null
"$probe" 0.2 "$minimal" >/dev/null
: >"$tmp/tovrin" >"$tmp/minimal" >"$tmp/text" >"$tmp/widgets"
for _ in $(seq "$runs"); do
  "$probe" "$idle" "$tovrin" >>"$tmp/tovrin"
  "$probe" "$idle" "$minimal" >>"$tmp/minimal"
  "$probe" "$idle" "$minimal" --text >>"$tmp/text"
  "$probe" "$idle" "$minimal" --widgets >>"$tmp/widgets"
done

/usr/bin/python3 - "$tmp" "$runs" <<'PY'
import statistics, sys
def load(name):
    rows = [tuple(map(float, line.split())) for line in open(sys.argv[1] + "/" + name) if line.strip()]
    return [r[0] for r in rows], [r[1] for r in rows], [r[2] / 1024 for r in rows]
med = statistics.median
bare = load("minimal")
label = load("text")
widgets = load("widgets")
print("runs: %s each, in turn; medians, ms and MiB" % sys.argv[2])
print("%-18s %8s %8s %9s %9s %9s %9s %9s %8s %9s" % ("", "mapped", "painted", "min-max", "map/bare", "map/label",
                                                     "paint/lbl", "paint/wdg", "RSS", "RSS-bare"))
for title, name in (("tovrin", "tovrin"), ("bare Qt window", "minimal"), ("Qt window + label", "text"),
                    ("same widgets in Qt", "widgets")):
    mapped, painted, mib = load(name)
    print("%-18s %8.1f %8.1f %4.0f-%-4.0f %9.2f %9.2f %9.2f %9.2f %8.1f %+9.1f" % (
        title, med(mapped), med(painted), min(painted), max(painted), med(mapped) / med(bare[0]),
        med(mapped) / med(label[0]), med(painted) / med(label[1]), med(painted) / med(widgets[1]), med(mib),
        med(mib) - med(bare[2])))
PY
