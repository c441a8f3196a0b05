#!/usr/bin/env bash
# "Place in tray on start-up": only the icon appears; a single click does nothing, a
# right press opens the tray menu, "&Cancel" closes it, a double-click shows the main
# window, "&Minimize to Tray" hides it with still one icon, the tray menu's "E&xit"
# removes the icon and ends the program. Nothing is written to the settings file.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"

e2e_start_desktop --tray
e2e_write_settings 0 1 False
settings="$XDG_CONFIG_HOME/Ardelon/Tovrin.reg"
before=$(md5sum <"$settings")
e2e_start_tovrin

e2e_wait 15 tray_has_icon || e2e_fail "no icon docked in the tray host"
sleep 0.5
[ "$(tray_icon_count)" -eq 1 ] || e2e_fail "$(tray_icon_count) icons in the tray, expected 1"
[ "$(tovrin_window_count)" -eq 0 ] || e2e_fail "a window is visible: $(tovrin_windows)"
read -r x y < <(tray_icon_position)

# One left click: nothing.
xdotool mousemove "$x" "$y" click 1
sleep 1
[ "$(tovrin_window_count)" -eq 0 ] || e2e_fail "a single click showed a window"
tovrin_popup_closed || e2e_fail "a single click opened a menu"

# The menu opens on the press, before the button is let go.
xdotool mousemove "$x" "$y" mousedown 3
e2e_wait 5 tovrin_popup_open || { xdotool mouseup 3; e2e_fail "no menu while the right button is down"; }
xdotool mouseup 3
sleep 0.5
tovrin_popup_open || e2e_fail "the menu closed when the button was let go"
if [ -n "${TOVRIN_DOCS:-}" ]; then
  import -window root -crop 320x190+960+0 "$TOVRIN_DOCS/tray-menu.png"
fi
e2e_screenshot menu
xdotool key c   # &Cancel
e2e_wait 5 tovrin_popup_closed || e2e_fail "Cancel did not close the menu"
sleep 0.3
[ "$(tovrin_window_count)" -eq 0 ] || e2e_fail "Cancel showed a window"
e2e_tovrin_running || e2e_fail "Cancel ended the program"

# Double-click: the main window.
xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1
e2e_wait 5 main_window_shown || e2e_fail "a double-click did not show the main window"
[ "$(tray_icon_count)" -eq 1 ] || e2e_fail "the icon went away with the main window shown"

# &Minimize to Tray.
win=$(main_window)
e2e_focus "$win"
xdotool key alt+m
e2e_wait 5 main_window_hidden || e2e_fail "Minimize to Tray did not hide the main window"
sleep 0.5
[ "$(tray_icon_count)" -eq 1 ] || e2e_fail "$(tray_icon_count) icons after Minimize to Tray, expected 1"

# E&xit from the tray menu.
xdotool mousemove "$x" "$y" mousedown 3 mouseup 3
e2e_wait 5 tovrin_popup_open || e2e_fail "the menu did not open"
xdotool key x
e2e_wait 5 tovrin_gone || e2e_fail "Exit did not end the program"
tray_has_no_icon || e2e_fail "the icon stayed after Exit"

[ "$(md5sum <"$settings")" = "$before" ] || e2e_fail "the settings file changed"
e2e_pass
