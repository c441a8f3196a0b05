#!/usr/bin/env bash
# A later start's hand-over to the running copy: `tovrin --upper` against `gdbus call` of
# the same action on the bus (its peer), alternating, with Tovrin running on a private X
# server and session bus and 1 KiB of text on the clipboard. Each is timed from its start
# to its end and to the clipboard holding the converted text (bench/handover_probe.py).
#
#   bench/handover.sh [BUILD_DIR] [RUNS]      (defaults: build/, 20)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-20}
tovrin="$build/src/tovrin"
[ -x "$tovrin" ] || { echo "build first: $tovrin" >&2; exit 1; }
command -v gdbus >/dev/null && command -v xclip >/dev/null || { echo "needs gdbus and xclip" >&2; exit 1; }

source "$root/bench/startup_desktop.sh"
name=com.ardelon.Tovrin
"$tovrin" >/dev/null 2>"$tmp/tovrin.err" &
pids+=($!)
for _ in $(seq 100); do
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner "$name" 2>/dev/null | grep -q true && break
  sleep 0.1
done
gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
  --method org.freedesktop.DBus.NameHasOwner "$name" | grep -q true || { echo "tovrin did not start: $(cat "$tmp/tovrin.err")" >&2; exit 1; }
/usr/bin/python3 -c 'import sys; sys.stdout.write(("Hand over, lower case. " * 45)[:1024])' >"$tmp/text"

echo "# $(date -u '+%F %H:%M UTC'), load $(cut -d' ' -f1-3 /proc/loadavg), $runs runs each"
"$root/bench/handover_probe.py" "$runs" "$tmp/text" \
  "'$tovrin' --upper" \
  "gdbus call --session --dest $name --object-path /${name//.//} --method org.freedesktop.Application.ActivateAction upper '[]' '{}'" \
  >"$tmp/runs"
/usr/bin/python3 - "$tmp/runs" <<'PY'
import statistics, sys
rows = [line.split() for line in open(sys.argv[1]) if line.strip()]
def column(index, field):
    return [float(r[field]) for r in rows if r[0] == str(index)]
failed = [r for r in rows if r[3] != "0"]
if failed:
    sys.exit("%d runs ended with a failure status" % len(failed))
med = statistics.median
peer_end, peer_done = med(column(1, 1)), med(column(1, 2))
print("%-16s %8s %10s %8s %10s" % ("medians, ms", "ended", "converted", "x gdbus", "x gdbus"))
for title, index in (("tovrin --upper", 0), ("gdbus call", 1)):
    end, done = med(column(index, 1)), med(column(index, 2))
    print("%-16s %8.1f %10.1f %8.2f %10.2f" % (title, end, done, end / peer_end, done / peer_done))
PY
