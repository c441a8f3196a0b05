#!/usr/bin/env bash
# Screenshots of every window as a user meets them: the Debian package built by
# CPack is unpacked into a scratch root, and the program is started from the
# installed desktop entry's Exec line on a fresh virtual desktop with a window
# manager and a tray host. Writes docs/screenshots/*.png.
#
#   docs/screenshots.sh [BUILD_DIR]      (default: build/, built already)
#
# Needs the packages of scripts/deps.sh (Xvfb, trayer, openbox, xdotool, xclip,
# imagemagick, dpkg-dev).
set -uo pipefail   # not -e: the e2e helpers test with commands that fail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-${TOVRIN_BUILD_DIR:-$repo/build}}" && pwd)
out=$repo/docs/screenshots
export TOVRIN_ARTIFACTS=${TOVRIN_ARTIFACTS:-$build/screenshot-artifacts}
source "$repo/tests/e2e/lib.sh"

# --- the package, installed into a scratch root ---------------------------------
cpack -G DEB -B "$E2E_TMP/pkg" --config "$build/CPackConfig.cmake" >"$E2E_TMP/cpack.log" 2>&1 \
  || { cat "$E2E_TMP/cpack.log" >&2; e2e_fail "cpack failed"; }
deb=$(find "$E2E_TMP/pkg" -maxdepth 1 -name '*.deb' | head -n 1)
dpkg -x "$deb" "$E2E_TMP/root"
export PATH="$E2E_TMP/root/usr/bin:$PATH"
export XDG_DATA_DIRS="$E2E_TMP/root/usr/share:/usr/share"
desktop="$E2E_TMP/root/usr/share/applications/com.ardelon.Tovrin.desktop"
# The Exec line, without field codes (it has none today).
exec_line=$(sed -n 's/^Exec=//p' "$desktop" | sed 's/ *%[a-zA-Z]//g')
[ -n "$exec_line" ] || e2e_fail "no Exec line in $desktop"
e2e_log "installed $(basename "$deb"); starting: $exec_line"

# --- a desktop ----------------------------------------------------------------------
e2e_start_desktop --tray
openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
E2E_PIDS+=($!)
e2e_wait 10 xprop -root _NET_SUPPORTING_WM_CHECK || e2e_fail "the window manager did not start"
xsetroot -solid '#3a6ea5'
sleep 0.5

mkdir -p "$out"

# The window with the frame the window manager gave it.
shot_window() { # window name
  sleep 0.6
  import -frame -window "$1" "$out/$2.png"
  e2e_log "saved $out/$2.png ($(identify -format '%wx%h' "$out/$2.png"))"
}

# Closes the window through its close box (the window manager's alt+F4).
close_window() { # window
  e2e_focus "$1"
  xdotool key alt+F4
  sleep 0.5
}

shot_region() { # name x y w h
  import -window root -crop "$4x$5+$2+$3" +repage "$out/$1.png"
  e2e_log "saved $out/$1.png"
}

tray_icon() {
  local panel
  panel=$(xdotool search --classname panel | head -n 1)
  xwininfo -tree -id "$panel" | awk '/\("tovrin" "Tovrin"\)/ {print $1; exit}'
}

open_tray_menu() {
  local icon=$1
  xdotool mousemove --window "$icon" 8 8 sleep 0.2 click 3
  sleep 0.8
}

# --- into the tray, then every window ---------------------------------------------
# Start in the tray, tray results shown in the Text Window.
e2e_write_settings 0 1 False
$exec_line >"$E2E_TMP/tovrin.log" 2>&1 &
TOVRIN_PID=$!
E2E_PIDS+=($TOVRIN_PID)
e2e_wait 10 tray_icon || e2e_fail "no tray icon"
sleep 0.5
icon=$(tray_icon)
[ -n "$icon" ] || e2e_fail "no tray icon"

# The tray menu, opened over some copied text; the panel and the menu in one picture.
e2e_clip_put "Text copied in another program"
open_tray_menu "$icon"
# The menu is the largest visible window of the program now (the main window is hidden).
menu=""; menu_area=0
for w in $(xdotool search --onlyvisible --classname tovrin 2>/dev/null); do
  eval "$(xdotool getwindowgeometry --shell "$w" | sed 's/^/g_/')"
  if [ $((g_WIDTH * g_HEIGHT)) -gt "$menu_area" ]; then menu=$w; menu_area=$((g_WIDTH * g_HEIGHT))
    m_X=$g_X; m_Y=$g_Y; m_W=$g_WIDTH; m_H=$g_HEIGHT; fi
done
[ -n "$menu" ] || e2e_fail "the tray menu did not open"
# From a little left of the menu to the screen's right edge, panel included.
shot_region tray-menu $((m_X - 24)) 0 $((1280 - m_X + 24)) $((m_Y + m_H + 24))

# UPPERCASE from the menu: the result comes up in the Text Window.
xdotool key u
e2e_wait_window "Text Window" 5
e2e_focus "$WIN"
shot_window "$WIN" text-window
close_window "$WIN"

# The main window from the tray menu, with a conversion in it.
open_tray_menu "$icon"
xdotool key w
e2e_wait_window Tovrin 5
main=$WIN
e2e_focus "$main"
menu_h=$(( $(xwininfo -id "$main" | awk '/Height:/ {print $2}') - 328 ))
e2e_click "$main" 130 $(( menu_h + 100 ))
xdotool type --delay 15 "Tovrin changes the case"
xdotool key Return
xdotool type --delay 15 "of any text you give it."
e2e_click "$main" 324 $(( menu_h + 96 ))      # UPPERCASE
shot_window "$main" main-window

# File > Options...
xdotool key alt+f
sleep 0.4
xdotool key o
e2e_wait_window Options 5
shot_window "$WIN" options
close_window "$WIN"

# Tovrin > About...
e2e_focus "$main"
xdotool key alt+t
sleep 0.4
xdotool key a
e2e_wait_window About 5
shot_window "$WIN" about
close_window "$WIN"

# Tovrin > Credits, a few seconds into the scroll.
e2e_focus "$main"
xdotool key alt+t
sleep 0.4
xdotool key r
e2e_wait_window Credits 5
sleep 2
shot_window "$WIN" credits

e2e_log "screenshots in $out"
e2e_pass
