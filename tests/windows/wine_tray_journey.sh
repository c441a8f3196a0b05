#!/usr/bin/env bash
# The Windows program under Wine, with Wine's registry, a real X11 tray host and
# the X11 clipboard: "Place in tray" set through `reg add` gives one icon docked in
# trayer, with the start-up tip; the tray menu's UPPERCASE converts text put on
# the clipboard by xclip; the tray menu's Exit ends the program and removes the icon.
#   wine_tray_journey.sh <windows build dir> <mingw gcc> <wine64>
out=$1 cc=$2 wine=$3
name=wine_tray_journey
window_manager=none
source "$(dirname "$0")/wine_lib.sh"

set_values SplashScreen=0 PlaceInTray=1 Copy2Clip=True
"$cc" -O1 -o "$tmp/tray_tip.exe" "$(dirname "$0")/tray_tip.c" || fail "tray_tip.c did not compile"

# Wine docks each notification icon into the X11 tray host as a window of its shell.
icon_windows() { xwininfo -tree -id "$panel" 2>/dev/null | awk '/"explorer.exe"/ {print $1}'; }
icon_count() { icon_windows | grep -c .; }
has_icon() { [ "$(icon_count)" -ge 1 ]; }
has_no_icon() { [ "$(icon_count)" -eq 0 ]; }
tips() { "$wine" "$tmp/tray_tip.exe" 2>/dev/null | tr -d '\r'; }
clipboard_is() { [ "$(timeout 5 xclip -o -selection clipboard 2>/dev/null)" = "$1" ]; }
tray_menu() { # presses and lets go of the right button on the icon
  xdotool mousemove "$icon_x" "$icon_y" mousedown 3
  sleep 0.3
  xdotool mouseup 3
  sleep 0.7
}

start_tovrin
wait_for 60 has_icon || fail "no icon docked in the tray host"
sleep 1
[ "$(icon_count)" -eq 1 ] || fail "$(icon_count) icons docked, expected 1"
[ "$(tips)" = "Tovrin 2.0" ] || fail "the icon's tip reads '$(tips)', expected 'Tovrin 2.0'"
eval "$(xdotool getwindowgeometry --shell "$(icon_windows | head -n1)")"
icon_x=$((X + WIDTH / 2)) icon_y=$((Y + HEIGHT / 2))

text='Wine Tray Ä ß'
printf '%s' "$text" | timeout 10 xclip -i -selection clipboard
sleep 0.3
tray_menu
xdotool key u
wait_for 10 clipboard_is 'WINE TRAY Ä ß' \
  || fail "the clipboard holds '$(timeout 5 xclip -o -selection clipboard)' after UPPERCASE"

tray_menu
xdotool key x
wait_for 20 tovrin_gone || fail "Exit did not end the program"
wait_for 10 has_no_icon || fail "the icon stayed after Exit"
echo "[$name] passed"
