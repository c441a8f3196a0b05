#!/usr/bin/env bash
# No session bus at all: the program starts without the one-copy rule, says so in one
# line, and works; `tovrin --upper` then converts in the copy it starts.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/bus_lib.sh"

# An address that leads nowhere: with none at all, libdbus would launch a bus on the
# display where dbus-x11 is installed.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$E2E_TMP/no-bus-here"
e2e_start_desktop
e2e_write_settings 0 0 True
e2e_clip_put "no bus here"
e2e_start_tovrin --upper
e2e_wait_window Tovrin 15
e2e_wait 10 sh -c '[ "$(timeout 5 xclip -o -selection clipboard)" = "NO BUS HERE" ]' \
  || e2e_fail "--upper without a bus left '$(e2e_clip_get)'"
e2e_tovrin_running || e2e_fail "the program ended"
[ "$(wc -l <"$E2E_TMP/tovrin.log")" = 1 ] && grep -q "one-copy rule" "$E2E_TMP/tovrin.log" \
  || e2e_fail "expected one line about the one-copy rule, got: $(cat "$E2E_TMP/tovrin.log")"
e2e_pass
