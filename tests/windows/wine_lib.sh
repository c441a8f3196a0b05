# Shared by the Wine journeys: the script sets `name`, `out` (the Windows build) and
# `wine`, sources this, and gets its own X server, a window manager (unless
# window_manager=none), a tray host and a Wine prefix, all removed on exit; `fail`
# leaves a screenshot.
set -uo pipefail
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

unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp -dpi 96 \
  3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
pids+=($!)
wait_for 10 test -s "$tmp/display" || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
export DISPLAY=:$(head -n1 "$tmp/display")
# Without a window manager Wine waits about 2 s for every window it hides, and
# keyboard focus follows nothing. With one, the menu of an icon docked in trayer
# often does not open (or takes no keys): a tray journey sets window_manager=none.
if [ "${window_manager:-openbox}" = openbox ]; then
  openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
  pids+=($!)
  wait_for 10 xprop -root _NET_SUPPORTING_WM_CHECK || fail "the window manager did not start"
fi
trayer --edge bottom --align right --widthtype request --height 32 --SetDockType true \
  --transparent false --tint 0x303030 >"$tmp/trayer.log" 2>&1 &
pids+=($!)
wait_for 10 xdotool search --classname panel || fail "the tray host did not start"
panel=$(xdotool search --classname panel | head -n1)

export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
settings_key='HKCU\Software\Ardelon\Tovrin'

set_values() { # Name=text...: REG_SZ values under the program's key
  local value
  for value in "$@"; do
    "$wine" reg add "$settings_key" /v "${value%%=*}" /t REG_SZ /d "${value#*=}" /f >/dev/null 2>&1 \
      || fail "reg add ${value%%=*} failed"
  done
}
# "Name TYPE data" as `reg query` prints it, or nothing.
query_value() {
  "$wine" reg query "$settings_key" /v "$1" 2>/dev/null | tr -d '\r' \
    | awk -v n="$1" '$1 == n { $1 = $1; print }'
}
start_tovrin() {
  "$wine" "$exe" >"$tmp/tovrin.log" 2>&1 &
  tovrin=$!
  pids+=($tovrin)
}
tovrin_gone() { ! kill -0 "$tovrin" 2>/dev/null; }
# The window with exactly this title, shown; in WIN.
wait_window() { # title [seconds]
  wait_for "${2:-30}" sh -c "xdotool search --onlyvisible --name '^$1\$' | grep -q ." || return 1
  WIN=$(xdotool search --onlyvisible --name "^$1\$" | head -n1)
}
focus() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1"
  sleep 0.3
}
window_closed() { ! xdotool search --onlyvisible --name "^$1\$" | grep -q .; }
screenshot() { mkdir -p "$artifacts"; import -silent -window root "$artifacts/$name-$1.png" 2>/dev/null; }
