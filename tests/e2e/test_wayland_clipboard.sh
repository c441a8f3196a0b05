#!/usr/bin/env bash
# A Wayland session (sway, headless, with XWayland) where the text was copied in a
# Wayland program (wl-copy) and no X11 window has the focus: conversions from the tray,
# chosen the way a StatusNotifier host does (the exported menu's Event call), read and
# write the Wayland clipboard itself. Text converts; a picture and invalid UTF-8 stay
# untouched; 50 MiB convert exactly; the bell sound plays twice on success, once when
# the clipboard cannot be read.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"
SNI="$(dirname "$0")/sni_host.py"
command -v sway >/dev/null && command -v wl-copy >/dev/null || e2e_fail "sway and wl-clipboard are needed (scripts/deps.sh)"

# sway refuses to run as root: the session belongs to an unprivileged user, and every
# program in it runs as that user.
if [ "$(id -u)" -eq 0 ]; then
  AS=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
  owner=nobody:nogroup
else
  AS=()
  owner=$(id -un):$(id -gn)
fi
chmod 711 "$E2E_TMP"
home="$E2E_TMP/session"
mkdir -p "$home/run" "$home/config" "$home/bin"
chmod 700 "$home/run"
export HOME=$home XDG_RUNTIME_DIR=$home/run XDG_CONFIG_HOME=$home/config
# The bell, as the session would play it: each play is one line. Without a sound
# server the real one complains on every play; that is no news for the user.
cat >"$home/bin/canberra-gtk-play" <<'SH'
#!/bin/sh
echo "$*" >>"$HOME/bells"
echo "Failed to play sound: IO error" >&2
SH
chmod 755 "$home/bin/canberra-gtk-play"
export PATH="$home/bin:$PATH"
echo 'xwayland enable' >"$home/sway.conf"
e2e_write_settings 0 1 True
chown -R "$owner" "$home"

WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  "${AS[@]}" sway -c "$home/sway.conf" >"$E2E_TMP/sway.log" 2>&1 &
E2E_PIDS+=($!)
e2e_wait 15 bash -c "ls '$XDG_RUNTIME_DIR' | grep -q '^wayland-[0-9]*$'" || e2e_fail "sway did not start: $(tail -5 "$E2E_TMP/sway.log")"
export WAYLAND_DISPLAY=$(ls "$XDG_RUNTIME_DIR" | grep '^wayland-[0-9]*$' | head -n 1)
export SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock | head -n 1)
# XWayland's display, as sway gives it to the programs it starts.
"${AS[@]}" swaymsg exec "echo \$DISPLAY >$home/display" >/dev/null
e2e_wait 10 test -s "$home/display" || e2e_fail "no XWayland display"
export DISPLAY=$(cat "$home/display") XDG_SESSION_TYPE=wayland
unset QT_QPA_PLATFORM

read -r address pid < <("${AS[@]}" dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -s -d ' ')
[ -n "$pid" ] || e2e_fail "no session bus"
E2E_PIDS+=($pid)
export DBUS_SESSION_BUS_ADDRESS=$address
"${AS[@]}" "$E2E_PY" "$SNI" serve "$home/sni.log" 2>"$E2E_TMP/sni.err" &
E2E_PIDS+=($!)
e2e_wait 10 grep -q '^ready' "$home/sni.log" || e2e_fail "the watcher did not start: $(cat "$E2E_TMP/sni.err")"

"${AS[@]}" env "$TOVRIN_BIN" >"$E2E_TMP/tovrin.log" 2>&1 &
TOVRIN_PID=$!
E2E_PIDS+=($TOVRIN_PID)
e2e_wait 15 grep -q '^item ' "$home/sni.log" || e2e_fail "the icon did not register"
read -r _ name path < <(grep '^item ' "$home/sni.log" | head -n 1)

wl_copy() { "${AS[@]}" wl-copy "$@"; }
wl_paste() { timeout 10 "${AS[@]}" wl-paste "$@"; }
bells() { [ -f "$home/bells" ] && grep -c . "$home/bells" || echo 0; }
choose() { "${AS[@]}" "$E2E_PY" "$SNI" click "$name" "$path" "$1" || e2e_fail "could not choose $1"; }
# Waits until the bell has rung this many times in all, then a little more for a stray one.
bells_are() { # count what
  e2e_wait 15 bash -c "[ \"\$(grep -c . '$home/bells' 2>/dev/null)\" -ge $1 ]" || e2e_fail "$2: $(bells) bells, expected $1"
  sleep 1
  [ "$(bells)" -eq "$1" ] || e2e_fail "$2: $(bells) bells, expected $1"
}

# Text from a Wayland program.
printf 'Hello Wayland ✓ ß' | wl_copy
choose _UPPERCASE
e2e_wait 15 bash -c "[ \"\$(timeout 10 ${AS[*]} wl-paste -n)\" = 'HELLO WAYLAND ✓ SS' ] || [ \"\$(timeout 10 ${AS[*]} wl-paste -n)\" = 'HELLO WAYLAND ✓ ß' ]" \
  || e2e_fail "UPPERCASE: the clipboard holds '$(wl_paste -n)'"
e2e_log "UPPERCASE: '$(wl_paste -n)'"
bells_are 2 "UPPERCASE"
choose _lowercase
e2e_wait 15 bash -c "[ \"\$(timeout 10 ${AS[*]} wl-paste -n)\" = 'hello wayland ✓ ß' ]" || e2e_fail "lowercase: '$(wl_paste -n)'"
bells_are 4 "lowercase"

# A picture stays as it was, and the feedback is as usual.
"$E2E_PY" -c 'import sys; sys.stdout.buffer.write(b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * 8)' >"$home/picture.png"
wl_copy --type image/png <"$home/picture.png"
choose _UPPERCASE
bells_are 6 "picture"
[ "$(wl_paste --list-types)" = "image/png" ] || e2e_fail "picture: the clipboard now offers $(wl_paste --list-types | tr '\n' ' ')"
cmp -s "$home/picture.png" <(wl_paste --type image/png) || e2e_fail "picture: the picture changed"

# Text that is not UTF-8 though offered as UTF-8: unreadable, untouched, one bell.
printf 'ab\xff\xfecd' | wl_copy --type 'text/plain;charset=utf-8'
choose _UPPERCASE
bells_are 7 "invalid UTF-8"
[ "$(wl_paste -n --type 'text/plain;charset=utf-8' | od -An -tx1 | tr -d ' \n')" = "6162fffe6364" ] \
  || e2e_fail "invalid UTF-8: the clipboard changed"

# 50 MiB, exactly.
"$E2E_PY" -c '
import sys
line = b"the quick brown fox jumps over the lazy dog 0123456789 \xc3\xa4\xc3\xb6\n"
n = 50 * 1024 * 1024
sys.stdout.buffer.write((line * (n // len(line) + 1))[:n])' >"$home/big.txt"
"$E2E_PY" -c '
import sys
sys.stdout.buffer.write(open(sys.argv[1], "rb").read().decode().upper().encode())' "$home/big.txt" >"$home/big.upper"
chown "$owner" "$home/big.txt" "$home/big.upper"
wl_copy --type 'text/plain;charset=utf-8' <"$home/big.txt"
start=$(date +%s%N)
choose _UPPERCASE
bells_are 9 "50 MiB"
end=$(date +%s%N)
wl_paste -n >"$home/big.out" || e2e_fail "50 MiB: could not read the result"
cmp -s "$home/big.upper" "$home/big.out" || e2e_fail "50 MiB: the result is not the text in capitals ($(stat -c %s "$home/big.out") bytes)"
e2e_log "50 MiB converted on the Wayland clipboard in $(( (end - start) / 1000000 )) ms (to the last bell)"

e2e_tovrin_running || e2e_fail "the program ended"
! grep -q "Failed to play sound" "$E2E_TMP/tovrin.log" || e2e_fail "the player's complaints reached the program's output"
e2e_pass
