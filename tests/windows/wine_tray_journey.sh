#!/usr/bin/env bash
# The Windows program under Wine, with Wine's registry, a real X11 tray host and
# the X11 clipboard, installed silently: "Place in tray" set through `reg add` gives
# one icon docked in trayer, with the start-up tip; the tray menu's UPPERCASE and
# the shortcut "Clipboard to lowercase" (through the running copy) convert text put
# on the clipboard by xclip; Exit ends the program and removes the icon; so does an
# install over the running copy; the uninstaller leaves only the settings.
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
# The program's own X windows on show: with the main window hidden, only its menu.
menu_window() { xdotool search --onlyvisible --classname '^tovrin[0-9]*\.exe$' 2>/dev/null | head -n1; }
menu_open() { [ -n "$(menu_window)" ]; }
menu_closed() { ! menu_open; }
tray_menu() { # the right button on the icon; returns once the menu takes keys
  xdotool mousemove "$icon_x" "$icon_y" mousedown 3
  sleep 0.3
  xdotool mouseup 3
  wait_for 10 menu_open || fail "the tray menu did not open"
  # Without a window manager nothing hands the menu the keyboard but the pointer:
  # keys sent while it still rests on the icon can reach the tray host instead.
  eval "$(xdotool getwindowgeometry --shell "$(menu_window)" | sed 's/^/MENU_/')"
  xdotool mousemove $((MENU_X + MENU_WIDTH / 2)) $((MENU_Y + 4))
  sleep 0.5
}

install_tovrin
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
wait_for 10 menu_closed || fail "the tray menu stayed open after U"
wait_for 10 clipboard_is 'WINE TRAY Ä ß' \
  || fail "the clipboard holds '$(timeout 5 xclip -o -selection clipboard)' after UPPERCASE"

start_shortcut "Clipboard to lowercase"
wait_for 20 clipboard_is 'wine tray ä ß' || fail "the clipboard holds '$(timeout 5 xclip -o -selection clipboard)' after --lower"
wait_for 10 one_copy && [ "$(icon_count)" -eq 1 ] || fail "$(tovrin_pids | wc -l) copies, $(icon_count) icons after --lower"

tray_menu
xdotool key x
wait_for 20 tovrin_gone || fail "Exit did not end the program"
wait_for 10 has_no_icon || fail "the icon stayed after Exit"

start_tovrin
wait_for 60 has_icon || fail "no icon after the second start"
install_tovrin
wait_for 10 tovrin_gone && wait_for 10 has_no_icon || fail "the install did not end the running copy"
uninstall_leaves_settings_only
echo "[$name] passed"
