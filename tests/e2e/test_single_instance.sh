#!/usr/bin/env bash
# Started into the tray, then started again: the second start only brings the
# running copy's main window up and ends; one process, one icon. A copy killed
# outright leaves its socket behind, and the next start must still run.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"

# Starts another copy in the foreground; leaves its status and time in ms.
start_again() { # log name
  local t0=$(date +%s%N)
  timeout 20 "$TOVRIN_BIN" >"$E2E_TMP/$1.log" 2>&1 && AGAIN_STATUS=0 || AGAIN_STATUS=$?
  AGAIN_MS=$(( ($(date +%s%N) - t0) / 1000000 ))
}

e2e_start_desktop --tray
e2e_write_settings 0 1 False
e2e_start_tovrin
first=$TOVRIN_PID
e2e_wait 10 tray_icon_count_is 1 || e2e_fail "no icon in the tray after the first start (icons: $(tray_icon_count))"
sleep 0.5
[ -z "$(e2e_window Tovrin)" ] || e2e_fail "the main window is shown although the program starts in the tray"

socket="$XDG_RUNTIME_DIR/com.ardelon.Tovrin.socket"
[ -S "$socket" ] || e2e_fail "no socket at $socket"
mode=$(stat -c %a "$socket")
[ $(( 8#$mode & 8#077 )) = 0 ] || e2e_fail "the socket is open to others: mode $mode"

start_again second
[ "$AGAIN_STATUS" = 0 ] || e2e_fail "the second start ended with status $AGAIN_STATUS: $(cat "$E2E_TMP/second.log")"
[ "$AGAIN_MS" -lt 3000 ] || e2e_fail "the second start took $AGAIN_MS ms"
e2e_log "second start ended with status 0 after $AGAIN_MS ms"
e2e_wait_window Tovrin 5
e2e_tovrin_running || e2e_fail "the running copy ended"
sleep 0.5
tray_icon_count_is 1 || e2e_fail "the tray holds $(tray_icon_count) icons of the program"
e2e_screenshot shown-by-second-start

# Killed without a chance to clean up: the socket file stays.
exec 3>&2 2>/dev/null # no "Killed" notice from the shell
kill -9 "$first"
wait "$first" || true
exec 2>&3 3>&-
[ -S "$socket" ] || e2e_fail "the killed copy left no socket behind; this test no longer covers a stale socket"
e2e_wait 10 tray_icon_count_is 0 || e2e_fail "the killed copy's icon stays in the tray"

e2e_start_tovrin
e2e_wait 10 tray_icon_count_is 1 || e2e_fail "after a stale socket the program did not start (icons: $(tray_icon_count))"
e2e_tovrin_running || e2e_fail "after a stale socket the program ended at once"
[ -z "$(e2e_window Tovrin)" ] || e2e_fail "after a stale socket the main window is shown instead of the tray"

start_again third
[ "$AGAIN_STATUS" = 0 ] || e2e_fail "the start after a restart ended with status $AGAIN_STATUS"
e2e_wait_window Tovrin 5
tray_icon_count_is 1 || e2e_fail "the tray holds $(tray_icon_count) icons of the program after the restart"
e2e_pass
