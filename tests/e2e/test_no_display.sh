#!/usr/bin/env bash
# Without a display the program ends with one clear line and status 1 instead of an
# abort inside Qt (status 134); a platform that needs no display still starts.
source "$(dirname "$0")/lib.sh"

no_display() { # label env-assignments...
  local label=$1; shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE "$@" \
    timeout 20 "$TOVRIN_BIN" >"$E2E_TMP/out" 2>"$E2E_TMP/err" && status=0 || status=$?
  [ "$status" = 1 ] || e2e_fail "$label: status $status, stderr: $(cat "$E2E_TMP/err")"
  [ ! -s "$E2E_TMP/out" ] || e2e_fail "$label: wrote to stdout: $(cat "$E2E_TMP/out")"
  [ "$(wc -l <"$E2E_TMP/err")" = 1 ] && grep -q '^tovrin: no display' "$E2E_TMP/err" \
    || e2e_fail "$label: expected one line, got: $(cat "$E2E_TMP/err")"
  e2e_log "$label: $(cat "$E2E_TMP/err")"
}

no_display "nothing set"
no_display "X display gone" DISPLAY=:987
no_display "wayland chosen, no compositor" QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=wayland-9
no_display "wayland session, no compositor" XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-9
no_display "refused in the middle of the list" QT_QPA_PLATFORM="wayland;xcb" DISPLAY=:987

# offscreen needs nothing: it starts and keeps running.
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "$TOVRIN_BIN" >"$E2E_TMP/tovrin.log" 2>&1 &
TOVRIN_PID=$!
E2E_PIDS+=($TOVRIN_PID)
sleep 2
e2e_tovrin_running || e2e_fail "offscreen did not start: $(cat "$E2E_TMP/tovrin.log")"
e2e_pass
