#!/usr/bin/env bash
# The About box and the Credits from the menu bar: the links start the desktop's
# opener with the right addresses, OK puts the box away and About brings it back,
# the credits scroll while the main window stays usable. Leaves screenshots of
# both windows in the artifacts folder.
source "$(dirname "$0")/lib.sh"

# A recording opener first on PATH: Qt hands links to xdg-open.
mkdir -p "$E2E_TMP/bin"
opened="$E2E_TMP/opened.log"
: >"$opened"
cat >"$E2E_TMP/bin/xdg-open" <<REC
#!/bin/sh
printf '%s\n' "\$*" >>"$opened"
REC
chmod +x "$E2E_TMP/bin/xdg-open"
export PATH="$E2E_TMP/bin:$PATH"

e2e_start_desktop
# With a window manager the windows get real frames (and the credits a real outer height).
if command -v openbox >/dev/null; then
  openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
  E2E_PIDS+=($!)
  e2e_wait 10 xprop -root _NET_SUPPORTING_WM_CHECK || e2e_fail "the window manager did not start"
  sleep 1
  e2e_log "window manager: $(xprop -root _NET_SUPPORTING_WM_CHECK)"
fi
e2e_start_tovrin
e2e_wait_window Tovrin
main=$WIN
e2e_focus "$main"

# The window and its frame, as the user sees it.
shot() { # window name
  local l r t b x y w h
  sleep 0.5
  x=$(xwininfo -id "$1" | awk '/Absolute upper-left X:/ {print $4}')
  y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y:/ {print $4}')
  w=$(xwininfo -id "$1" | awk '/Width:/ {print $2}')
  h=$(xwininfo -id "$1" | awk '/Height:/ {print $2}')
  read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ',' || true)
  l=${l:-0}; r=${r:-0}; t=${t:-0}; b=${b:-0}
  import -window root -crop "$((w + l + r))x$((h + t + b))+$((x - l))+$((y - t))" +repage \
    "$TOVRIN_ARTIFACTS/$E2E_NAME-$2.png"
}

open_from_menu() { # access key
  e2e_focus "$main"
  xdotool key --window "$main" alt+t
  sleep 0.4
  xdotool key "$1"
}

# --- About ---------------------------------------------------------------------
open_from_menu a
e2e_wait_window About 5
about=$WIN
shot "$about" about
e2e_log "About frame: $(xprop -id "$about" _NET_FRAME_EXTENTS 2>&1)"

# Client coordinates: Frame1 at (8, 8), the labels inside it (twips / 15).
e2e_click "$about" $(( 8 + 328 + 40 )) $(( 8 + 352 + 8 ))     # Label6, the mail address
e2e_click "$about" $(( 8 + 255 + 12 )) $(( 8 + 270 + 8 ))     # Label7, the group's name, where the paragraph ends
e2e_click "$about" $(( 8 + 24 + 100 )) $(( 8 + 200 + 20 ))    # the paragraph: no link
e2e_wait 5 test "$(wc -l <"$opened")" -ge 2 || e2e_fail "the opener was not started twice: $(cat "$opened")"
sleep 0.5
got=$(cat "$opened")
want=$'mailto:tovrin@ardelon.example\nhttp://www.qwirl.example/'
[ "$got" = "$want" ] || e2e_fail "the opener got '$got', expected '$want'"
[ -n "$(e2e_window About)" ] || e2e_fail "the About box went away after the links"

# OK puts it away; About brings the same box back.
e2e_click "$about" $(( 8 + 384 + 50 )) $(( 8 + 400 + 16 ))
e2e_wait 5 test -z "$(e2e_window About)" || e2e_fail "OK did not put the About box away"
open_from_menu a
e2e_wait_window About 5
[ "$WIN" = "$about" ] || e2e_fail "About showed a new window ($WIN), not the hidden one ($about)"

# --- Credits -------------------------------------------------------------------
open_from_menu r
e2e_wait_window Credits 5
cred=$WIN
# Both windows open centred; keep the credits clear of the main window's controls.
xdotool windowmove "$cred" 20 20
for n in 1 2 3 4 5 6; do
  sleep 0.4
  shot "$cred" "credits-$n"
done
[ "$(md5sum <"$TOVRIN_ARTIFACTS/$E2E_NAME-credits-2.png")" != "$(md5sum <"$TOVRIN_ARTIFACTS/$E2E_NAME-credits-5.png")" ] \
  || e2e_fail "the credits did not move"

# The main window still works while they scroll.
e2e_focus "$main"
menu_h=$(( $(xwininfo -id "$main" | awk '/Height:/ {print $2}') - 328 ))
e2e_click "$main" 130 $(( menu_h + 100 ))
sleep 0.3
xdotool type --delay 20 "still here"
e2e_click "$main" 324 $(( menu_h + 96 ))      # UPPERCASE
e2e_click "$main" 520 $(( menu_h + 304 ))     # Copy to Clipboard
got=$(e2e_clip_get)
[ "$got" = "STILL HERE" ] || e2e_fail "the main window did not convert while the credits ran: '$got'"
[ -n "$(e2e_window Credits)" ] || e2e_fail "the credits window went away"
e2e_tovrin_running || e2e_fail "the program ended"
e2e_pass
