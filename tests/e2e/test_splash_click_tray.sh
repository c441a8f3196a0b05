#!/usr/bin/env bash
# Splash and "Place in tray on start-up": no icon while the splash is up; a click on the
# version line puts it away and only the icon appears.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"

splash_shown() { tovrin_windows | grep -q ' 498x289+'; }

e2e_start_desktop --tray
e2e_write_settings 1 1 False
e2e_start_tovrin
e2e_wait 15 splash_shown || e2e_fail "no splash screen"
sleep 0.5
tray_has_no_icon || e2e_fail "the icon is up before the splash was dismissed"
read -r splash _ < <(tovrin_windows)

# lblVersion: right-aligned, ending 6855 twips into the frame, 2700 twips down.
e2e_click "$splash" $(( 3 + 10 + 450 )) $(( 3 + 8 + 185 ))
e2e_wait 5 tray_has_icon || e2e_fail "a click on the version line did not put the icon up"
sleep 0.5
[ "$(tovrin_window_count)" -eq 0 ] || e2e_fail "a window is visible: $(tovrin_windows)"
[ "$(tray_icon_count)" -eq 1 ] || e2e_fail "$(tray_icon_count) icons, expected 1"
e2e_pass
