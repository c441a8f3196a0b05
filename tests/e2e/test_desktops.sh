#!/usr/bin/env bash
# One desktop, started from its own packages (the row: see desktop_lib.sh), and the
# same journey on each: the icon shows in the desktop's panel; UPPERCASE chosen in the
# panel's own menu converts the clipboard; the panel's activation gesture opens the
# main window; `tovrin --lower` converts; Exit from the panel's menu ends the program
# and takes the icon away. A desktop without a notification area shows the main window
# and converts from the command line. Every step runs and is reported; any failure
# fails the row. Exit status 77: the desktop is not installed.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"
source "$(dirname "$0")/desktop_lib.sh"

ROW=${1:?which desktop}
E2E_NAME=desktop-$ROW
desk_installed "$ROW" || { e2e_log "skipped: $ROW is not installed"; exit 77; }
desk_start_"${ROW//-/_}"
shots=$E2E_TMP/shots
mkdir -p "$shots"
# What the panels say to the program, for reading when a step fails.
"${DESK_AS[@]}" dbus-monitor --session >"$TOVRIN_ARTIFACTS/$E2E_NAME-bus.log" 2>&1 &
E2E_PIDS+=($!)

REPORT=()
FAILED=0
ICON_X=0 ICON_Y=0 x0=0 y0=0 x1=0 y1=0
# Runs one step; a failed step is reported and the journey goes on.
step() { # name command...
  local name=$1; shift
  if "$@"; then
    REPORT+=("$name: pass")
  else
    REPORT+=("$name: FAIL${WHY:+ ($WHY)}")
    FAILED=1
    e2e_screenshot "$name-failed"
  fi
  WHY=
}
WHY=

# The desktop as it looks before the program starts, once it has finished drawing.
screen_still() {
  desk_shot "$shots/empty.png" && sleep 1 && desk_shot "$shots/still.png" &&
    ! desk_changed_box "$shots/empty.png" "$shots/still.png" $DESK_CLOCK >/dev/null
}
e2e_wait 60 screen_still || e2e_fail "the desktop does not stop changing"
e2e_write_settings 0 1 True
desk_own_session
"${DESK_AS[@]}" "$TOVRIN_BIN" >"$E2E_TMP/tovrin.log" 2>&1 &
TOVRIN_PID=$!
E2E_PIDS+=($TOVRIN_PID)

# Leaves the icon's box in ICON and its middle in ICON_X ICON_Y.
icon_settled() {
  local a b
  desk_shot "$shots/icon.png" && a=$(desk_changed_box "$shots/empty.png" "$shots/icon.png" $DESK_CLOCK) || return 1
  sleep 0.5
  desk_shot "$shots/icon.png" && b=$(desk_changed_box "$shots/empty.png" "$shots/icon.png" $DESK_CLOCK) || return 1
  [ "$a" = "$b" ] || return 1
  read -r x0 y0 x1 y1 <<<"$a"
  ICON_X=$(( (x0 + x1) / 2 )) ICON_Y=$(( (y0 + y1) / 2 ))
}
icon_shown() {
  WHY="nothing new in the panel"
  e2e_wait 60 icon_settled || return 1
  WHY="what showed is no icon: $((x1 - x0))x$((y1 - y0)) at $x0,$y0"
  [ $((x1 - x0)) -le 64 ] && [ $((y1 - y0)) -le 64 ]
}
# Where the icon was, something else shows now.
icon_gone() {
  local crop="-crop $((x1 - x0))x$((y1 - y0))+$x0+$y0"
  desk_shot "$shots/after.png" &&
    convert "$shots/icon.png" $crop "$shots/icon-only.png" &&
    convert "$shots/after.png" $crop "$shots/after-icon.png" &&
    desk_changed_box "$shots/icon-only.png" "$shots/after-icon.png" >/dev/null
}

# Opens the panel's menu for the icon (right click) and leaves its box in mx0 my0 mx1
# my1: what changed on screen, apart from the icon itself.
menu_open() {
  desk_shot "$shots/closed.png"
  desk_click "$ICON_X" "$ICON_Y" 3
  menu_box() {
    desk_shot "$shots/open.png" &&
      MENU=$(desk_changed_box "$shots/closed.png" "$shots/open.png" $((x0 - 4)) $((y0 - 4)) $((x1 + 4)) $((y1 + 4))) &&
      read -r mx0 my0 mx1 my1 <<<"$MENU" && [ $((mx1 - mx0)) -gt 40 ] && [ $((my1 - my0)) -gt 40 ]
  }
  # Settled: the same box twice, once the menu has finished sliding in.
  menu_settled() {
    local first
    menu_box && first=$MENU && sleep 0.5 && menu_box && [ "$MENU" = "$first" ]
  }
  e2e_wait 20 menu_settled || { WHY="no menu opened"; return 1; }
}
# The menu's first item is E&xit, its last &UPPERCASE.
choose() { # first|last
  menu_open || return 1
  e2e_screenshot "menu"
  if [ "$1" = first ]; then
    desk_click $(( (mx0 + mx1) / 2 )) $((my0 + DESK_ITEM_INSET)) 1
  else
    desk_click $(( (mx0 + mx1) / 2 )) $((my1 - DESK_ITEM_INSET)) 1
  fi
}
converted_by_menu() {
  desk_clip_put 'Hello Desktop'
  choose last || return 1
  WHY="the clipboard holds '$(desk_clip_get)'"
  e2e_wait 20 desk_clip_is 'HELLO DESKTOP'
}
activation_shows_window() {
  desk_click "$ICON_X" "$ICON_Y" 1 $([ "$DESK_ACTIVATE" = double ] && echo 2)
  WHY="no main window"
  e2e_wait 20 desk_main_window_shown
}
# Minimize to Tray, so the window is out of the way of the menu.
window_put_away() {
  desk_minimize_main_window || { WHY="no main window"; return 1; }
  WHY="the main window stayed"
  e2e_wait 20 desk_main_window_hidden
}
window_at_start() { WHY="no main window"; e2e_wait 15 desk_main_window_shown; }
converted_by_command() {
  desk_clip_put 'Hello Command Line'
  timeout 20 "${DESK_AS[@]}" "$TOVRIN_BIN" --lower >>"$E2E_TMP/lower.log" 2>&1 || { WHY="tovrin --lower failed"; return 1; }
  WHY="the clipboard holds '$(desk_clip_get)'"
  e2e_wait 20 desk_clip_is 'hello command line'
}
exit_by_menu() {
  choose first || return 1
  WHY="the program still runs"
  e2e_wait 20 tovrin_gone || return 1
  WHY="the icon stayed"
  e2e_wait 20 icon_gone
}

if [ "$DESK_TRAY" = 1 ]; then
  step icon icon_shown
  e2e_screenshot icon
  step menu-upper converted_by_menu
  step activation activation_shows_window
  e2e_screenshot window
  step minimize window_put_away
  step lower converted_by_command
  step exit exit_by_menu
else
  step window window_at_start
  e2e_screenshot window
  step lower converted_by_command
fi

e2e_log "$(printf '%s; ' "${REPORT[@]}")"
[ "$FAILED" = 0 ] || e2e_fail "$ROW: $(printf '%s; ' "${REPORT[@]}")"
e2e_pass
