#!/usr/bin/env bash
# CPU time the program and the X server spend while the Credits scroll, against the
# same program idle with only its main window open, against the least a Qt Widgets
# program spends at the same cadence (bench/credits_peer: a 10 ms timer alone, then a
# block of text rising 50 twips a tick), and against the least any X client spends
# (bench/credits_floor: xcb alone, waking every 10 ms, then also copying 20 rows of a
# picture the server holds). Runs on a private Xvfb (with openbox when installed, so
# the windows are framed as on a desktop).
#
#   bench/credits_cpu.sh [TOVRIN_BIN] [SECONDS]     (default build/src/tovrin, 10 s)
#
# Prints one line per phase: CPU seconds of the program and of the X server over the
# same wall time (the scheduler's run time of all their threads, /proc/<pid>/task/*/
# schedstat; utime + stime are sampled at the clock tick, which timer-driven wake-ups
# run in step with, and were a quarter too low for the credits), and what both
# together take of one core; then the scroll's share against the peers. A phase with the credits
# minimised shows what the scroll costs when nobody can see it.
set -u
repo=$(cd "$(dirname "$0")/.." && pwd)
export TOVRIN_BIN=${1:-${TOVRIN_BIN:-$repo/build/src/tovrin}}
seconds=${2:-10}
peer=$(dirname "$TOVRIN_BIN")/../bench/credits_peer
floor=$(dirname "$TOVRIN_BIN")/../bench/credits_floor
[ -x "$TOVRIN_BIN" ] && [ -x "$peer" ] && [ -x "$floor" ] || {
  echo "build first: $TOVRIN_BIN, $peer, $floor" >&2
  exit 1
}
export TOVRIN_ARTIFACTS=${TOVRIN_ARTIFACTS:-$(mktemp -d /tmp/tovrin-bench.XXXXXX)}
source "$repo/tests/e2e/lib.sh"

# nanoseconds all threads of a process have run
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%d", s}'; }
# times the main thread went to sleep and woke again (about once per timer tick)
wakeups() { awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$1/status"; }

measure() { # label pid
  local t0 x0 t1 x1 w0 w1 v0 v1
  t0=$(cpu_ns "$2"); x0=$(cpu_ns "$xvfb_pid"); v0=$(wakeups "$2"); w0=$(date +%s%N)
  sleep "$seconds"
  t1=$(cpu_ns "$2"); x1=$(cpu_ns "$xvfb_pid"); v1=$(wakeups "$2"); w1=$(date +%s%N)
  awk -v l="$1" -v t=$((t1 - t0)) -v x=$((x1 - x0)) -v v=$((v1 - v0)) -v w=$((w1 - w0)) 'BEGIN {
    wall = w / 1e9
    printf "%-26s wall %5.2f s  program %6.3f s, %4.0f wake-ups/s  X server %6.3f s  together %5.2f %% of one core\n",
           l, wall, t / 1e9, v / wall, x / 1e9, 100 * (t + x) / 1e9 / wall }'
}
# the together-share of a phase's line
share() { awk '{print $(NF - 4)}' <<<"$1"; }

peer_phase() { # label peer [peer args]
  local label=$1 pid line
  shift
  "$@" >/dev/null 2>&1 &
  pid=$!
  E2E_PIDS+=($pid)
  e2e_wait 10 xdotool search --name '^credits peer$' || e2e_fail "the peer did not show its window"
  sleep 1
  line=$(measure "$label" "$pid")
  kill "$pid"
  wait "$pid" 2>/dev/null
  echo "$line"
}

e2e_start_desktop
xvfb_pid=${E2E_PIDS[0]}
if command -v openbox >/dev/null; then
  openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
  E2E_PIDS+=($!)
  e2e_wait 10 xprop -root _NET_SUPPORTING_WM_CHECK || e2e_fail "the window manager did not start"
  sleep 1
fi
e2e_start_tovrin
e2e_wait_window Tovrin
main=$WIN
sleep 1

echo "tovrin: $TOVRIN_BIN; $(nproc) cores; $(date -u '+%F %H:%M UTC'); load average $(cut -d' ' -f1-3 /proc/loadavg)"
idle=$(measure "main window, idle" "$TOVRIN_PID")
echo "$idle"

e2e_focus "$main"
xdotool key --window "$main" alt+t
sleep 0.4
xdotool key r
e2e_wait_window Credits 5
credits=$WIN
sleep 1
scrolling=$(measure "credits scrolling" "$TOVRIN_PID")
echo "$scrolling"
[ -n "$(e2e_window Credits)" ] || e2e_fail "the credits window went away"
e2e_tovrin_running || e2e_fail "the program ended"

xdotool windowminimize "$credits"
sleep 1
measure "credits minimised" "$TOVRIN_PID"
e2e_tovrin_running || e2e_fail "the program ended"

timer=$(peer_phase "peer: 10 ms timer alone" "$peer" --timer-only)
echo "$timer"
rising=$(peer_phase "peer: rising text" "$peer")
echo "$rising"
wake=$(peer_phase "floor: wakes alone" "$floor" 0)
echo "$wake"
copy=$(peer_phase "floor: copies 20 rows" "$floor" 20)
echo "$copy"

awk -v s="$(share "$scrolling")" -v i="$(share "$idle")" -v t="$(share "$timer")" -v r="$(share "$rising")" \
    -v f="$(share "$wake")" -v c="$(share "$copy")" 'BEGIN {
  printf "credits scroll: %.2f %% of one core for tovrin and the X server together (goal under 1 %%): %.2f %% above tovrin idle; %.1fx a 10 ms timer alone (%.2f %%), %.2fx a minimal rising text (%.2f %%); %.2fx the floor that copies 20 rows (%.2f %%; waking alone %.2f %%)\n",
         s, s - i, (t > 0 ? s / t : 0), t, (r > 0 ? s / r : 0), r, (c > 0 ? s / c : 0), c, f }'
echo "load average at the end $(cut -d' ' -f1-3 /proc/loadavg)"
