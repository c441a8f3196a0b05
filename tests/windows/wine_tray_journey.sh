#!/usr/bin/env bash
# The Windows program under Wine, with Wine's registry, a real X11 tray host and
# the X11 clipboard: "Place in tray" set through `reg add` gives one icon docked in
# trayer, with the start-up tip; the tray menu's UPPERCASE converts text put on
# the clipboard by xclip; the tray menu's Exit ends the program and removes the icon.
#   wine_tray_journey.sh <windows build dir> <mingw gcc> <wine64>
set -uo pipefail
out=$1 cc=$2 wine=$3
name=wine_tray_journey
artifacts=${TOVRIN_ARTIFACTS:-$out/e2e-artifacts}
if [ ! -f "$out/tovrin-exe.txt" ]; then
  echo "skipped: no Windows build in $out"
  exit 77
fi
exe=$(head -n1 "$out/tovrin-exe.txt")

tmp=$(mktemp -d "${TMPDIR:-/tmp}/tovrin-$name.XXXXXX")
pids=()
cleanup() {
  [ -d "$tmp/prefix" ] && WINEPREFIX=$tmp/prefix "$(dirname "$wine")/wineserver" -k 2>/dev/null
  local i
  for (( i=${#pids[@]}-1; i>=0; i-- )); do kill "${pids[$i]}" 2>/dev/null; done
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  mkdir -p "$artifacts"
  import -silent -window root "$artifacts/$name-failed.png" 2>/dev/null
  echo "[$name] FAILED: $*" >&2
  echo "[$name] screenshot: $artifacts/$name-failed.png" >&2
  exit 1
}
wait_for() { # seconds command...
  local deadline=$(( $(date +%s) + $1 )); shift
  until "$@" >/dev/null 2>&1; do
    [ "$(date +%s)" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}

# Its own X server, tray host and Wine prefix; no session bus.
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp -dpi 96 \
  3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
pids+=($!)
wait_for 10 test -s "$tmp/display" || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
export DISPLAY=:$(head -n1 "$tmp/display")
trayer --edge bottom --align right --widthtype request --height 32 --SetDockType true \
  --transparent false --tint 0x303030 >"$tmp/trayer.log" 2>&1 &
pids+=($!)
wait_for 10 xdotool search --classname panel || fail "the tray host did not start"
panel=$(xdotool search --classname panel | head -n1)

export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
key='HKCU\Software\Ardelon\Tovrin'
for value in SplashScreen=0 PlaceInTray=1 Copy2Clip=True; do
  "$wine" reg add "$key" /v "${value%%=*}" /t REG_SZ /d "${value#*=}" /f >/dev/null 2>&1 \
    || fail "reg add ${value%%=*} failed"
done
"$cc" -O1 -o "$tmp/tray_tip.exe" "$(dirname "$0")/tray_tip.c" || fail "tray_tip.c did not compile"

# Wine docks each notification icon into the X11 tray host as a window of its shell.
icon_windows() { xwininfo -tree -id "$panel" 2>/dev/null | awk '/"explorer.exe"/ {print $1}'; }
icon_count() { icon_windows | grep -c .; }
has_icon() { [ "$(icon_count)" -ge 1 ]; }
has_no_icon() { [ "$(icon_count)" -eq 0 ]; }
tovrin_gone() { ! kill -0 "$tovrin" 2>/dev/null; }
tips() { "$wine" "$tmp/tray_tip.exe" 2>/dev/null | tr -d '\r'; }
clipboard_is() { [ "$(timeout 5 xclip -o -selection clipboard 2>/dev/null)" = "$1" ]; }
tray_menu() { # presses and lets go of the right button on the icon
  xdotool mousemove "$icon_x" "$icon_y" mousedown 3
  sleep 0.3
  xdotool mouseup 3
  sleep 0.7
}

"$wine" "$exe" >"$tmp/tovrin.log" 2>&1 &
tovrin=$!
pids+=($tovrin)
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
