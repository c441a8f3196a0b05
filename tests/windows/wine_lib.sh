# Shared by the Wine journeys: the script sets `name`, `out` (the Windows build) and
# `wine`, sources this, and gets its own X server, a window manager (unless
# window_manager=none), a tray host and a Wine prefix, all removed on exit; `fail`
# leaves a screenshot. The program is the one the build's installer puts in the
# prefix (install_tovrin), started from its Start-menu shortcuts.
set -uo pipefail
# Without `out`, the script makes its own `setup` around `exe_name`.
if [ -n "${out:-}" ]; then
  if [ ! -f "$out/tovrin-exe.txt" ]; then
    echo "skipped: no Windows build in $out"
    exit 77
  fi
  setup=$(ls "$out"/Tovrin-*-setup.exe 2>/dev/null | head -n1)
  [ -n "$setup" ] || { echo "[$name] FAILED: no installer in $out" >&2; exit 1; }
  exe_name=$(basename "$(head -n1 "$out/tovrin-exe.txt")")
fi
artifacts=${TOVRIN_ARTIFACTS:-${out:-$PWD}/e2e-artifacts}

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

uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\com.ardelon.Tovrin'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
# Wine hands arguments over and prints in the Unix locale's character set.
set_values() { # Name=text...: REG_SZ values under the program's key
  local value
  for value in "$@"; do
    LC_ALL=C.UTF-8 "$wine" reg add "$settings_key" /v "${value%%=*}" /t REG_SZ /d "${value#*=}" /f >/dev/null 2>&1 \
      || fail "reg add ${value%%=*} failed"
  done
}
# A value as "NAME REG_SZ TEXT", read from an export of its key: `reg query` prints
# through the console's code page, where a full-width "１" comes out as "1".
query_value() { # name [key]
  local file=$tmp/query.reg
  rm -f "$file"
  "$wine" reg export "${2:-$settings_key}" "$("$wine" winepath -w "$file" 2>/dev/null | tr -d '\r')" /y \
    >/dev/null 2>&1 || return 0
  iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' | python3 -c '
import re, sys
for line in sys.stdin:
    m = re.match(r"^\"((?:[^\"\\]|\\.)*)\"=\"((?:[^\"\\]|\\.)*)\"$", line.rstrip("\n"))
    if m and re.sub(r"\\(.)", r"\1", m.group(1)) == sys.argv[1]:
        print(sys.argv[1], "REG_SZ", re.sub(r"\\(.)", r"\1", m.group(2)))' "$1"
}
unix_path() { "$wine" winepath -u "$("$wine" cmd /c echo "$1" 2>/dev/null | tr -d '\r"')" 2>/dev/null | tr -d '\r'; }
# Where the installer puts the program and its Start-menu shortcuts in this prefix.
install_dir=$(unix_path '%LOCALAPPDATA%\Programs\Tovrin')
menu_dir=$(unix_path '%APPDATA%\Microsoft\Windows\Start Menu\Programs\Tovrin')
[ -n "$install_dir" ] && [ -n "$menu_dir" ] || fail "the Wine prefix did not start"
exe=$install_dir/$exe_name
install_tovrin() { # switches...: a silent install
  "$wine" "$setup" /S "$@" >"$tmp/setup.log" 2>&1 && [ -x "$exe" ] || fail "the install $* failed"
}
# "target|arguments|hotkey" read from the .lnk file.
shortcut() { python3 "$(dirname "$0")/lnk_fields.py" "$menu_dir/$1.lnk"; }
# As a click on a Start-menu entry: the shell resolves the link (returns at once).
start_shortcut() { "$wine" start /unix "$menu_dir/$1.lnk" >>"$tmp/tovrin.log" 2>&1 || fail "could not start '$1'"; }
start_tovrin() { start_shortcut Tovrin; }
# The program's processes in this prefix (other journeys may run theirs meanwhile).
tovrin_pids() {
  for pid in $(pgrep -f 'tovrin[0-9]*\.exe'); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
}
tovrin_gone() { [ -z "$(tovrin_pids)" ]; }
one_copy() { [ "$(tovrin_pids | wc -l)" -eq 1 ]; }
# The uninstaller as "Apps and features" names it, silent (it copies itself away
# and returns at once): then nothing of the program is left but its settings.
uninstall_leaves_settings_only() {
  local program
  program=$(query_value UninstallString "$uninstall_key" | sed 's/^UninstallString REG_SZ "\(.*\)"$/\1/')
  "$wine" "$program" /S >"$tmp/uninstall.log" 2>&1 || fail "the uninstaller '$program' failed"
  wait_for 60 test ! -e "$install_dir" || fail "left in $install_dir: $(ls -R "$install_dir")"
  wait_for 10 test ! -e "$menu_dir" || fail "Start-menu shortcuts left: $(ls "$menu_dir")"
  [ -z "$(query_value DisplayName "$uninstall_key")$(query_value Tovrin "$run_key")" ] \
    || fail "the uninstall entry or the start-up value stayed"
  [ -n "$(query_value PlaceInTray)" ] || fail "the settings went with the program"
}
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
clipboard_is() { [ "$(timeout 5 xclip -o -selection clipboard 2>/dev/null)" = "$1" ]; }
screenshot() { mkdir -p "$artifacts"; import -silent -window root "$artifacts/$name-$1.png" 2>/dev/null; }
