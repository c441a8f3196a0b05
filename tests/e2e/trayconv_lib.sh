# Shared by the tray conversion journeys: start Tovrin in the tray, choose commands
# from the tray icon's menu with a right press and the keyboard, count bells.
# Source after lib.sh.

TRAYCONV_X11="$(dirname "${BASH_SOURCE[0]}")/trayconv_x11.py"
# A clipboard owner that misbehaves on request (see its usage).
CLIP_OWNER="$(dirname "${BASH_SOURCE[0]}")/clip_owner.py"
BELLS="$E2E_TMP/bells"

source "$(dirname "${BASH_SOURCE[0]}")/tray_lib.sh"

# Starts the desktop with a tray host, a bell counter and Tovrin in the tray.
# copy2clip: "True" (copy it directly to the clipboard) or "False" (open it in a new window).
trayconv_start() { # copy2clip
  e2e_start_desktop --tray
  e2e_write_settings 0 1 "$1"
  : >"$BELLS"
  python3 "$TRAYCONV_X11" bells "$BELLS" &
  E2E_PIDS+=($!)
  e2e_wait 10 grep -q listening "$BELLS" || e2e_fail "the bell counter did not start"
  e2e_start_tovrin
  e2e_wait 15 tray_icon_position || e2e_fail "Tovrin's icon did not appear in the tray"
  sleep 0.3
}

trayconv_bells() { grep -c '^bell' "$BELLS"; }
trayconv_bells_at_least() { [ "$(trayconv_bells)" -ge "$1" ]; }

# Waits until exactly N bells have rung in all, then a little longer to see that no
# further one follows.
trayconv_expect_bells() { # n [seconds]
  local n=$1
  e2e_wait "${2:-10}" trayconv_bells_at_least "$n" || e2e_fail "$(trayconv_bells) bells, expected $n"
  sleep 0.5
  [ "$(trayconv_bells)" -eq "$n" ] || e2e_fail "$(trayconv_bells) bells, expected $n"
}

trayconv_clip_owner() { python3 "$TRAYCONV_X11" owner; }

# Right press on the icon opens the tray menu; the keys choose from it.
# "&UPPERCASE": u, "&lowercase": l, "rAnDOm" (no access key): Up Up Up Return.
# Without keys the menu is left open.
trayconv_choose() { # keys...
  local pos
  pos=$(tray_icon_position) || e2e_fail "no tray icon"
  # shellcheck disable=SC2086
  xdotool mousemove $pos mousedown 3
  sleep 0.2
  xdotool mouseup 3
  e2e_wait 5 trayconv_menu_open || e2e_fail "the tray menu did not open"
  sleep 0.1
  [ $# -eq 0 ] || xdotool key --delay 80 "$@"
}

# The pop-up menu: a visible override-redirect window of Tovrin's, taller than the
# other two such windows, the tray icon itself (30 px) and its tip (20 px).
trayconv_menu_open() {
  local w
  for w in $(xdotool search --onlyvisible --classname tovrin 2>/dev/null); do
    xwininfo -id "$w" 2>/dev/null | awk '
      /Override Redirect State: yes/ { o = 1 }
      /^ *Height:/ { h = $2 }
      END { exit !(o && h > 60) }' && return 0
  done
  return 1
}

# Waits for a command to have taken over the clipboard (from the owner given).
trayconv_wait_owner_change() { # old-owner seconds
  python3 "$TRAYCONV_X11" wait-owner "$1" "$2" >/dev/null || e2e_fail "the clipboard did not change hands within $2 s"
}

trayconv_text_window() { e2e_window "Text Window"; }

# As the window's close box does.
trayconv_close_window() { # window
  python3 "$TRAYCONV_X11" close "$1"
  e2e_wait 5 sh -c "[ -z \"\$(xdotool search --onlyvisible --name '^Text Window\$' 2>/dev/null)\" ]" \
    || e2e_fail "the Text Window did not close"
}
