#!/usr/bin/env bash
# "Place in tray on start-up" on a desktop without a notification area: the main window
# appears instead, and "&Minimize to Tray" minimizes it (the window manager iconifies it).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"

e2e_start_desktop
command -v openbox >/dev/null || e2e_fail "openbox is needed to see a window minimized"
openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
E2E_PIDS+=($!)
sleep 1
e2e_write_settings 0 1 False
e2e_start_tovrin
e2e_wait_window Tovrin 15
win=$WIN
sleep 0.5

iconic() { xprop -id "$win" WM_STATE 2>/dev/null | grep -q 'Iconic'; }
iconic && e2e_fail "the main window starts minimized"
e2e_focus "$win"
xdotool key alt+m
e2e_wait 5 iconic || e2e_fail "Minimize to Tray did not minimize the window"
e2e_tovrin_running || e2e_fail "the program ended"
e2e_pass
