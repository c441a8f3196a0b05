#!/usr/bin/env bash
# Wake-ups a second of Tovrin idle in the tray, against a Qt Widgets window with one
# label (bench/minimal_qt --text) idle on the same desktop, over the same seconds: each
# time a thread of the process went to sleep and was woken (the voluntary context
# switches of all its threads, from /proc). Rows: an XEmbed tray (trayer), a
# StatusNotifier host (tests/e2e/sni_host.py), both, and a StatusNotifier host that
# hangs (stopped) beside the XEmbed tray. Each on a private X server and session bus.
#
#   bench/idle_wakeups.sh [BUILD_DIR] [SECONDS]      (defaults: build/, 10)
set -u
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
seconds=${2:-10}
export TOVRIN_BIN=$build/src/tovrin
minimal=$build/bench/minimal_qt
[ -x "$TOVRIN_BIN" ] && [ -x "$minimal" ] || { echo "build first: $TOVRIN_BIN, $minimal" >&2; exit 1; }
export TOVRIN_ARTIFACTS=${TOVRIN_ARTIFACTS:-$(mktemp -d /tmp/tovrin-bench.XXXXXX)}
source "$repo/tests/e2e/lib.sh"

# Voluntary context switches of every thread of a process, summed.
switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '$1 == "voluntary_ctxt_switches:" {n += $2} END {print n + 0}'; }
rate() { awk -v d="$1" -v s="$seconds" 'BEGIN {printf "%.1f", d / s}'; }

echo "# tovrin $("$TOVRIN_BIN" --version 2>/dev/null | head -n 1), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $(date -u '+%F %H:%M UTC')"
printf '%-44s %12s %12s\n' "desktop (wake-ups a second over ${seconds} s)" tovrin "Qt + label"

e2e_start_desktop
e2e_write_settings 0 1 False
row() { # title
  local base_tovrin base_peer end_tovrin end_peer
  sleep 3
  base_tovrin=$(switches "$TOVRIN_PID"); base_peer=$(switches "$PEER_PID")
  sleep "$seconds"
  end_tovrin=$(switches "$TOVRIN_PID"); end_peer=$(switches "$PEER_PID")
  e2e_tovrin_running || e2e_fail "$1: tovrin ended"
  printf '%-44s %12s %12s\n' "$1" "$(rate $((end_tovrin - base_tovrin)))" "$(rate $((end_peer - base_peer)))"
}
start_pair() {
  e2e_start_tovrin
  "$minimal" --text >/dev/null 2>&1 &
  PEER_PID=$!
  E2E_PIDS+=($PEER_PID)
}
stop_pair() { kill "$TOVRIN_PID" "$PEER_PID"; wait "$TOVRIN_PID" "$PEER_PID" 2>/dev/null; }

e2e_start_session_bus
trayer --edge top --align right --widthtype request --height 32 --SetDockType true >/dev/null 2>&1 &
trayer_pid=$!
E2E_PIDS+=($trayer_pid)
e2e_wait 10 xdotool search --classname panel || e2e_fail "trayer did not start"
start_pair
row "XEmbed tray (trayer)"
stop_pair

"$E2E_PY" "$repo/tests/e2e/sni_host.py" serve "$E2E_TMP/sni.log" 2>/dev/null &
host_pid=$!
E2E_PIDS+=($host_pid)
e2e_wait 10 grep -q '^ready' "$E2E_TMP/sni.log" || e2e_fail "the StatusNotifier host did not start"
start_pair
row "StatusNotifier host and XEmbed tray"
kill -STOP "$host_pid"
row "StatusNotifier host stopped, XEmbed tray"
kill -CONT "$host_pid"
stop_pair

kill "$trayer_pid"
start_pair
row "StatusNotifier host only"
stop_pair
