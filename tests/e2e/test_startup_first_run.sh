#!/usr/bin/env bash
# First run, nothing stored: the main window, no splash, no icon; starting and ending
# the program writes nothing, not even the settings folder.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"

e2e_start_desktop --tray
e2e_start_tovrin
e2e_wait 15 main_window_shown || e2e_fail "no main window"
sleep 0.5
[ "$(tovrin_window_count)" -eq 1 ] || e2e_fail "more than the main window: $(tovrin_windows)"
tray_has_no_icon || e2e_fail "an icon in the tray"

e2e_focus "$(main_window)"
xdotool key alt+f
sleep 0.4
xdotool key x   # File > E&xit
e2e_wait 5 tovrin_gone || e2e_fail "Exit did not end the program"
[ -z "$(ls -A "$XDG_CONFIG_HOME")" ] || e2e_fail "start-up wrote: $(find "$XDG_CONFIG_HOME")"
e2e_pass
