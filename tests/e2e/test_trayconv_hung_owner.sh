#!/usr/bin/env bash
# A program owns the clipboard and never answers. A tray command gives up after one
# platform time-out: the clipboard stays with that program, no window opens, one bell,
# and Tovrin takes commands again right after.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/trayconv_lib.sh"

trayconv_start False
python3 "$TRAYCONV_X11" hold >"$E2E_TMP/hold.log" 2>&1 &
E2E_PIDS+=($!)
e2e_wait 5 grep -q ready "$E2E_TMP/hold.log" || e2e_fail "could not take the clipboard"
owner=$(trayconv_clip_owner)

trayconv_choose u
start=$(date +%s%N)
e2e_wait 15 trayconv_bells_at_least 1 || e2e_fail "no bell after 15 s"
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
e2e_log "gave up after $elapsed_ms ms"
# X11's time-out for one request is 5 s; two would be 10 s.
[ "$elapsed_ms" -lt 7500 ] || e2e_fail "the command took $elapsed_ms ms"
trayconv_expect_bells 1
[ "$(trayconv_clip_owner)" = "$owner" ] || e2e_fail "the clipboard changed hands"
[ -z "$(trayconv_text_window)" ] || e2e_fail "a Text Window opened"

# Still taking commands: the tray menu opens at once and "Main Window" shows it.
start=$(date +%s%N)
trayconv_choose w
e2e_wait_window Tovrin 5
e2e_log "main window after $(( ($(date +%s%N) - start) / 1000000 )) ms"
trayconv_expect_bells 1
e2e_pass
