#!/usr/bin/env bash
# Instructions executed from exec to the first paint, for tovrin, for a Qt window with
# one label (bench/minimal_qt --text) and for the main window's content in plain Qt
# (bench/minimal_qt --widgets), each run under callgrind on a private X server with
# a private session bus, alternating. The count stops where the first painted window is
# handed to the X server (callgrind dumps its totals when QWidgetRepaintManager::flush()
# first returns), so what either program does after its first paint, or while it ends,
# is not counted. Instruction counts hardly move with the machine's load, where start-up
# times do.
#
#   bench/startup_instructions.sh [BUILD_DIR] [RUNS]      (defaults: build/, 3)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-3}
probe="$root/bench/startup_probe.py"
tovrin="$build/src/tovrin"
minimal="$build/bench/minimal_qt"
[ -x "$tovrin" ] && [ -x "$minimal" ] || { echo "build first: $tovrin, $minimal" >&2; exit 1; }
command -v valgrind >/dev/null || { echo "needs valgrind" >&2; exit 1; }

source "$root/bench/startup_desktop.sh"
export STARTUP_PROBE_DEADLINE=300

# All threads together, up to the end of the first flush: callgrind's first dump ($out.1).
instructions() { # out program args...
  local out=$1; shift
  "$probe" 0.5 valgrind --tool=callgrind --dump-after='QWidgetRepaintManager::flush*' \
    --callgrind-out-file="$out" "$@" >/dev/null
  [ -s "$out.1" ] || { echo "no paint counted for $*" >&2; exit 1; }
  awk '/^(summary|totals):/ {print $2; exit}' "$out.1"
}

echo "# $(date -u '+%F %H:%M UTC'), load $(cut -d' ' -f1-3 /proc/loadavg), $runs runs each"
: >"$tmp/t" >"$tmp/l" >"$tmp/w"
for i in $(seq "$runs"); do
  instructions "$tmp/t.$i" "$tovrin" >>"$tmp/t"
  instructions "$tmp/l.$i" "$minimal" --text >>"$tmp/l"
  instructions "$tmp/w.$i" "$minimal" --widgets >>"$tmp/w"
done
/usr/bin/python3 - "$tmp" <<'PY'
import statistics, sys
def load(name):
    return [int(line) for line in open(sys.argv[1] + "/" + name) if line.strip()]
t, l, w = (statistics.median(load(name)) for name in ("t", "l", "w"))
print("%-18s %14s %8s %10s" % ("", "instructions", "x label", "x widgets"))
for title, n in (("tovrin", t), ("Qt window + label", l), ("same widgets in Qt", w)):
    print("%-18s %14.1f M %7.2f %10.2f" % (title, n / 1e6, n / l, n / w))
PY
