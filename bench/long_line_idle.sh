#!/usr/bin/env bash
# Tovrin holding one line of 1 MB or 6 MB (no line break) in its windows, against the
# same characters in lines of 80 (the peer), each in a fresh program in the tray
# (private X server with an XEmbed tray host, results opened in the Text Window).
#
#   bench/long_line_idle.sh [TOVRIN_BIN] [SECONDS] [SIZES]   (build/src/tovrin, 10 s, "1 6")
#
# RANDOM_CAP (seconds, default 600) bounds the wait for the rAnDOm.
#
# Per text, in one program:
#   window    "&UPPERCASE" from the tray until the Text Window shows the text (ms)
#   idle TW   CPU share of one core over SECONDS with the Text Window focused
#   menu      right press on the icon until the tray menu is on screen (ms; polled with
#             xdotool and xwininfo, some 30 ms a poll)
#   paste     "Paste from Clipboard" then "UPPERCASE" in the main window: the longest
#             ping wait (ms)
#   idle MW   CPU share over SECONDS with the main window focused, both boxes full
#   MW rnd    the main window's "rAnDOm" of its source box, until the program is idle
#             again (s: from the click until half a second without CPU, less that half)
#   random    the tray's "rAnDOm" of the text (put on the clipboard again by xclip) until
#             the clipboard has the result (s), with both windows open
#   1 line / lines   each figure of the one line over the same figure of its peer
#   ping      the longest the program kept an X11 ping (_NET_WM_PING, answered on its
#             user-interface thread, every 20 ms) waiting during the step before (ms);
#             the pings pause while the idle CPU is measured
set -u
repo=$(cd "$(dirname "$0")/.." && pwd)
export TOVRIN_BIN=${1:-${TOVRIN_BIN:-$repo/build/src/tovrin}}
seconds=${2:-10}
sizes=${3:-1 6}
random_cap=${RANDOM_CAP:-600}
export TOVRIN_ARTIFACTS=${TOVRIN_ARTIFACTS:-$(mktemp -d /tmp/tovrin-bench.XXXXXX)}
source "$repo/tests/e2e/lib.sh"
source "$repo/tests/e2e/trayconv_lib.sh"

hz=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$TOVRIN_PID/stat"; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# The longest ping wait logged after line $1 of the ping log.
ping_since() { tail -n +"$(( $1 + 1 ))" "$E2E_TMP/xping.log" | awk '$2 > m {m = $2} END {print m + 0}'; }
ping_mark() { wc -l <"$E2E_TMP/xping.log"; }

# Returns once the program used at most one clock tick of CPU in half a second.
wait_quiet() {
  local a b
  while :; do
    a=$(cpu_ticks); sleep 0.5; b=$(cpu_ticks)
    [ $((b - a)) -le 1 ] && return
  done
}

idle_share() { # seconds of CPU per second of wall time, in percent; the pings paused
  local t0 t1 w0 w1
  kill -STOP "$PINGER"
  sleep 0.5
  t0=$(cpu_ticks); w0=$(date +%s%N)
  sleep "$seconds"
  t1=$(cpu_ticks); w1=$(date +%s%N)
  kill -CONT "$PINGER"
  awk -v t=$((t1 - t0)) -v hz="$hz" -v w=$((w1 - w0)) 'BEGIN {printf "%.2f", 100 * t / hz / (w / 1e9)}'
}

write_text() { # file megabytes line-length (0: one line)
  python3 - "$@" <<'PY'
import sys
path, mb, width = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
words = "Lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod tempor".split()
size, out, n, col = mb * 1000 * 1000, [], 0, 0
i = 0
while n < size:
    w = words[i % len(words)] + " "
    i += 1
    if width and col + len(w) > width:
        out.append("\n"); n += 1; col = 0
    out.append(w); n += len(w); col += len(w)
open(path, "w").write("".join(out)[:size])
PY
}

run() { # label file
  trayconv_start False
  "$E2E_PY" "$TRAYCONV_X11" ping "$(tray_icon_windows | head -n 1)" >"$E2E_TMP/xping.log" 2>/dev/null &
  PINGER=$!
  E2E_PIDS+=($PINGER)
  e2e_wait 10 grep -q rtt "$E2E_TMP/xping.log" || e2e_fail "no answer to the ping"
  timeout 60 xclip -i -selection clipboard <"$2" || e2e_fail "xclip could not take the text"
  sleep 0.5

  local mark t0 window menu paste random idle_tw idle_mw p_window p_menu p_paste p_idle p_random
  mark=$(ping_mark); t0=$(now_ms)
  trayconv_choose u
  e2e_wait_window "Text Window" 300
  window=$(( $(now_ms) - t0 )); p_window=$(ping_since "$mark")
  e2e_focus "$WIN"
  sleep 1
  idle_tw=$(idle_share)

  local pos
  pos=$(tray_icon_position) || e2e_fail "no tray icon"
  # shellcheck disable=SC2086
  xdotool mousemove $pos
  mark=$(ping_mark); t0=$(now_ms)
  xdotool mousedown 3
  until trayconv_menu_open; do [ $(( $(now_ms) - t0 )) -lt 60000 ] || e2e_fail "no tray menu"; done
  menu=$(( $(now_ms) - t0 )); p_menu=$(ping_since "$mark")
  xdotool mouseup 3
  sleep 0.3
  xdotool key Escape
  sleep 0.5

  trayconv_choose w
  e2e_wait_window Tovrin 60
  local main=$WIN menu_h
  e2e_focus "$main"
  menu_h=$(( $(xwininfo -id "$main" | awk '/Height:/ {print $2}') - 328 ))
  mark=$(ping_mark); t0=$(now_ms)
  e2e_click "$main" 136 $(( menu_h + 304 ))          # Paste from Clipboard
  e2e_click "$main" 324 $(( menu_h + 96 ))           # UPPERCASE
  e2e_click "$main" 130 $(( menu_h + 100 ))          # into the source box
  sleep 1
  p_paste=$(ping_since "$mark")
  idle_mw=$(idle_share)

  mark=$(ping_mark); t0=$(now_ms)
  e2e_click "$main" 324 $(( menu_h + 160 ))          # rAnDOm
  wait_quiet
  local mw_random p_mw_random
  mw_random=$(awk -v r=$(( $(now_ms) - t0 - 500 )) 'BEGIN {printf "%.1f", r / 1000}')
  p_mw_random=$(ping_since "$mark")

  # The text again from another program, so that the result is seen by the owner's change.
  timeout 60 xclip -i -selection clipboard <"$2" || e2e_fail "xclip could not take the text"
  sleep 0.5
  local owner=$(trayconv_clip_owner)
  mark=$(ping_mark); t0=$(now_ms)
  trayconv_choose Up Up Up Return
  if python3 "$TRAYCONV_X11" wait-owner "$owner" "$random_cap" >/dev/null; then
    random=$(awk -v r=$(( $(now_ms) - t0 )) 'BEGIN {printf "%.1f", r / 1000}')
  else
    random=">$random_cap"
  fi
  p_random=$(ping_since "$mark")
  e2e_tovrin_running || e2e_fail "the program ended"

  ROW="$window $p_window $idle_tw $menu $p_menu $p_paste $idle_mw $mw_random $p_mw_random $random $p_random"
  # shellcheck disable=SC2086
  printf "$ROW_FORMAT" "$1" $ROW
  kill "$TOVRIN_PID"; wait "$TOVRIN_PID" 2>/dev/null
  local i; for (( i=${#E2E_PIDS[@]}-1; i>=0; i-- )); do kill "${E2E_PIDS[$i]}" 2>/dev/null; done
  E2E_PIDS=()
  sleep 0.5
}

ROW_FORMAT='%-16s %7s %5s %6s %6s %6s %6s %6s %6s %6s %8s %6s\n'
# Each figure of row $1 over the same figure of its peer, row $2 ("-" where the peer is 0).
ratios() {
  awk -v a="$1" -v b="$2" 'BEGIN {
    n = split(a, x, " "); split(b, y, " ")
    for (i = 1; i <= n; i++) {
      u = x[i]; v = y[i]; sub(/^>/, "", u); sub(/^>/, "", v)
      printf " %s", (v + 0 == 0) ? "-" : sprintf("%.2f", u / v)
    }
  }'
}

echo "# tovrin: $TOVRIN_BIN; $(nproc) cores; load average $(cut -d' ' -f1-3 /proc/loadavg); $(date -u '+%F %H:%M UTC')"
# shellcheck disable=SC2059
printf "$ROW_FORMAT" text "window" ping "idleTW" menu ping "paste" "idleMW" "MW rnd" ping "random" ping
# shellcheck disable=SC2059
printf "$ROW_FORMAT" "" ms ms "%" ms ms "ping" "%" s ms s ms
for mb in $sizes; do
  write_text "$E2E_TMP/line.txt" "$mb" 0
  write_text "$E2E_TMP/lines.txt" "$mb" 80
  run "$mb MB, 1 line" "$E2E_TMP/line.txt"
  line_row=$ROW
  run "$mb MB, lines" "$E2E_TMP/lines.txt"
  # shellcheck disable=SC2046,SC2059
  printf "$ROW_FORMAT" "  1 line / lines" $(ratios "$line_row" "$ROW")
done
echo "# load average at the end $(cut -d' ' -f1-3 /proc/loadavg)"
