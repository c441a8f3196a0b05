#!/usr/bin/env bash
# No session bus at all: the program starts without the one-copy rule, says so in one
# line, and works; `tovrin --upper` then converts in the copy it starts. It starts no bus
# of its own either (the bus library would run dbus-launch: a recording one here).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/bus_lib.sh"

unset DBUS_SESSION_BUS_ADDRESS
mkdir -p "$E2E_TMP/bin"
printf '#!/bin/sh\necho "$*" >>"%s/launched"\nexit 1\n' "$E2E_TMP" >"$E2E_TMP/bin/dbus-launch"
chmod 755 "$E2E_TMP/bin/dbus-launch"
export PATH="$E2E_TMP/bin:$PATH"
e2e_start_desktop
e2e_write_settings 0 0 True
e2e_clip_put "no bus here"
e2e_start_tovrin --upper
e2e_wait_window Tovrin 15
e2e_wait 10 sh -c '[ "$(timeout 5 xclip -o -selection clipboard)" = "NO BUS HERE" ]' \
  || e2e_fail "--upper without a bus left '$(e2e_clip_get)'"
e2e_tovrin_running || e2e_fail "the program ended"
[ ! -e "$E2E_TMP/launched" ] || e2e_fail "a session bus was started: dbus-launch $(cat "$E2E_TMP/launched")"
[ "$(wc -l <"$E2E_TMP/tovrin.log")" = 1 ] && grep -q "one-copy rule" "$E2E_TMP/tovrin.log" \
  || e2e_fail "expected one line about the one-copy rule, got: $(cat "$E2E_TMP/tovrin.log")"
e2e_pass
