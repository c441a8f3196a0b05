#!/usr/bin/env bash
# The longest time Tovrin's UI thread keeps the user waiting while a StatusNotifier panel
# hangs (a stopped process that keeps the watcher's name) beside an XEmbed tray
# (trayer), against the session bus itself asked over the same seconds (bench/ui_ping.py:
# a call on each every 100 ms, Tovrin's answered on its UI thread). Rows: Tovrin started
# ("Place in tray") while the panel hangs, and how long until its main window or its
# icon showed; the icon shown on the panel when the panel hangs for 8 s and is then
# killed, so the icon moves to the XEmbed tray.
#
#   bench/panel_freeze.sh [BUILD_DIR] [SECONDS]      (defaults: build/, 10)
set -u
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
seconds=${2:-10}
export TOVRIN_BIN=$build/src/tovrin
[ -x "$TOVRIN_BIN" ] || { echo "build first: $TOVRIN_BIN" >&2; exit 1; }
export TOVRIN_ARTIFACTS=${TOVRIN_ARTIFACTS:-$(mktemp -d /tmp/tovrin-bench.XXXXXX)}
source "$repo/tests/e2e/lib.sh"
source "$repo/tests/e2e/tray_lib.sh"
ping="$E2E_PY $repo/bench/ui_ping.py"
SNI="$repo/tests/e2e/sni_host.py"

echo "# tovrin $("$TOVRIN_BIN" --version 2>/dev/null | head -n 1), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $(date -u '+%F %H:%M UTC')"
printf '%-56s %10s %10s %14s\n' "longest wait for an answer over ${seconds} s" tovrin "bus" "settled"

e2e_start_desktop --tray
e2e_start_session_bus
e2e_write_settings 0 1 False

start_host() {
  : >"$E2E_TMP/sni.log"
  "$E2E_PY" "$SNI" serve "$E2E_TMP/sni.log" 2>/dev/null &
  HOST_PID=$!
  E2E_PIDS+=($HOST_PID)
  e2e_wait 10 grep -q '^ready' "$E2E_TMP/sni.log" || e2e_fail "the StatusNotifier host did not start"
}
# Asks both for the row's seconds while the command given runs.
measure() { # title command...
  local title=$1 waits; shift
  $ping "$seconds" >"$E2E_TMP/waits" &
  local asking=$!
  "$@"
  wait "$asking"
  read -r -a waits <"$E2E_TMP/waits"
  printf '%-56s %9ss %9ss %14s\n' "$title" "${waits[0]}" "${waits[1]}" "$SETTLED"
}
# Seconds until the program settled: its main window shown, or its icon docked.
settled_in() {
  local start end
  start=$(date +%s%N)
  e2e_wait 120 eval 'main_window_shown || tray_icon_position' || { echo never; return; }
  end=$(date +%s%N)
  awk -v d=$((end - start)) -v w="$(main_window_shown && echo window || echo icon)" 'BEGIN {printf "%s %.2fs", w, d / 1e9}'
}
start_and_settle() { e2e_start_tovrin; SETTLED=$(settled_in); }

start_host
kill -STOP "$HOST_PID"
measure "started while the StatusNotifier panel hangs" start_and_settle
kill -9 "$HOST_PID"
kill "$TOVRIN_PID"; wait "$TOVRIN_PID" 2>/dev/null

start_host
e2e_start_tovrin
e2e_wait 15 grep -q '^item ' "$E2E_TMP/sni.log" || e2e_fail "the icon did not register"
# A second start shows the running copy's main window.
"$TOVRIN_BIN" >/dev/null 2>&1
e2e_wait 10 main_window_shown || e2e_fail "no main window"
hang_then_kill() { kill -STOP "$HOST_PID"; sleep 8; kill -9 "$HOST_PID"; SETTLED=-; }
measure "icon on the panel, the panel hangs 8 s, then is killed" hang_then_kill
