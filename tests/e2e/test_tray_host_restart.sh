#!/usr/bin/env bash
# Tray hosts that come and go, for two XEmbed hosts (trayer and tint2): with "Place in
# tray on start-up" and no host yet, the main window shows and the icon docks as soon
# as a host starts; a host that quits while only the icon shows brings the main window
# back; a restarted host gets the icon again, one icon only; with the host gone the
# close box ends the program.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"
CLOSE_HELPER="$(dirname "$0")/trayconv_x11.py"

e2e_start_desktop
# tint2 waits about 15 s for a window manager before it shows.
openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
E2E_PIDS+=($!)
e2e_wait 10 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || e2e_fail "openbox did not start"

cat >"$E2E_TMP/tint2rc" <<'RC'
panel_items = S
panel_size = 100% 32
panel_position = bottom center horizontal
panel_background_id = 0
systray_padding = 2 2 2
systray_icon_size = 24
systray_sort = ascending
RC

# The main window, also when the window manager has put it in a frame.
main_window() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$TOVRIN_PID" 2>/dev/null); do
    xwininfo -id "$w" 2>/dev/null | grep -q 'Width: 651' && { echo "$w"; return; }
  done
}

HOST_PID=
start_host() { # trayer|tint2
  case $1 in
    trayer)
      TRAY_HOST_CLASS=panel
      trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
        --transparent false --tint 0x303030 >>"$E2E_TMP/host.log" 2>&1 &
      ;;
    tint2)
      TRAY_HOST_CLASS=tint2
      tint2 -c "$E2E_TMP/tint2rc" >>"$E2E_TMP/host.log" 2>&1 &
      ;;
  esac
  HOST_PID=$!
  E2E_PIDS+=($HOST_PID)
  export TRAY_HOST_CLASS
  e2e_wait 10 xdotool search --classname "$TRAY_HOST_CLASS" || e2e_fail "$1 did not start"
}

stop_host() {
  kill "$HOST_PID"
  e2e_wait 5 bash -c "! kill -0 $HOST_PID" || e2e_fail "the host did not quit"
}

# Leaves in T the seconds (to 0.1 s) until the command succeeded; fails the test after 10 s.
time_until() { # what command...
  local what=$1 start end; shift
  start=$(date +%s%N)
  e2e_wait 10 "$@" || e2e_fail "$what"
  end=$(date +%s%N)
  T=$(awk -v d=$((end - start)) 'BEGIN {printf "%.1f", d / 1e9}')
}

for host in trayer tint2; do
  e2e_log "$host"
  e2e_write_settings 0 1 False
  e2e_start_tovrin
  e2e_wait 10 main_window_shown || e2e_fail "$host: no main window without a tray host"

  # A host that starts after the program gets the icon; the window stays.
  start_host "$host"
  time_until "$host: no icon after the host started" tray_icon_count_is 1
  e2e_log "$host started after Tovrin: icon docked in ${T} s"
  main_window_shown || e2e_fail "$host: the main window went away"

  # Only the icon; the host quits: the main window comes back.
  win=$(main_window)
  e2e_focus "$win"
  xdotool key alt+m
  e2e_wait 5 main_window_hidden || e2e_fail "$host: Minimize to Tray did not hide the window"
  stop_host
  time_until "$host: no main window after the host quit" main_window_shown
  e2e_log "$host quit: main window back in ${T} s"

  # The host starts again: the icon comes back, once.
  start_host "$host"
  time_until "$host: no icon after the host restarted" tray_icon_count_is 1
  e2e_log "$host restarted: icon docked in ${T} s"
  sleep 2
  tray_icon_count_is 1 || e2e_fail "$host: $(tray_icon_count) icons after the restart"
  e2e_screenshot "$host-restarted"

  # The close box puts the window away while the icon is there...
  win=$(main_window)
  /usr/bin/python3 "$CLOSE_HELPER" close "$win"
  e2e_wait 5 main_window_hidden || e2e_fail "$host: the close box did not hide the window"
  e2e_tovrin_running || e2e_fail "$host: the close box ended the program with the icon there"
  # ...and ends the program once the host is gone and the window is back.
  stop_host
  e2e_wait 10 main_window_shown || e2e_fail "$host: no main window after the second quit"
  win=$(main_window)
  /usr/bin/python3 "$CLOSE_HELPER" close "$win"
  e2e_wait 5 tovrin_gone || e2e_fail "$host: the close box without a tray did not end the program"
done
e2e_pass
