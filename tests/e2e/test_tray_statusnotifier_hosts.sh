#!/usr/bin/env bash
# StatusNotifier panels that come and go, for a real panel (xfce4-panel, which is also
# an XEmbed tray) and our own watcher and host: with "Place in tray on start-up" and no
# panel yet, the main window shows and the icon registers as soon as a panel starts;
# the panel quits while only the icon shows: the main window comes back; the panel
# restarts: the icon registers again, once, never also docked as an XEmbed icon; the
# host's activation and the exported menu still work. A start while the StatusNotifier
# host hangs shows the main window at once, and the icon comes when the host answers.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"
source "$(dirname "$0")/desktop_lib.sh"
SNI="$(dirname "$0")/sni_host.py"

e2e_start_desktop
e2e_start_session_bus

desk_xfce4_panel_config

HOST_PID=
start_host() { # xfce4-panel|own
  case $1 in
    xfce4-panel) xfce4-panel --disable-wm-check >>"$E2E_TMP/host.log" 2>&1 & ;;
    own) "$E2E_PY" "$SNI" serve "$E2E_TMP/sni.log" 2>>"$E2E_TMP/host.log" & ;;
  esac
  HOST_PID=$!
  E2E_PIDS+=($HOST_PID)
}
# The panel and its plugin processes (xfce4-panel runs its notification area in one).
signal_host() { # STOP|CONT
  kill -"$1" "$HOST_PID" $(ps -o pid= --ppid "$HOST_PID")
}
stop_host() {
  kill "$HOST_PID"
  e2e_wait 10 bash -c "! kill -0 $HOST_PID" || e2e_fail "the panel did not quit"
}

# Tovrin's items as the session's watcher lists them.
our_items() { "$E2E_PY" "$SNI" items 2>/dev/null | grep -c "StatusNotifierItem-$TOVRIN_PID-"; }
item_registered() { [ "$(our_items)" -eq 1 ]; }
# Tovrin's XEmbed icons, wherever docked: icon-sized windows of its name (Qt keeps a
# 1x1 one of its own).
xembed_icons() { xwininfo -root -tree | grep '"Tovrin"' | grep -Ec ' ([89]|[1-9][0-9])x([89]|[1-9][0-9])\+'; }

time_until() { # what command...
  local what=$1 start end; shift
  start=$(date +%s%N)
  e2e_wait 10 "$@" || e2e_fail "$what"
  end=$(date +%s%N)
  T=$(awk -v d=$((end - start)) 'BEGIN {printf "%.1f", d / 1e9}')
}

for host in xfce4-panel own; do
  e2e_log "$host"
  e2e_write_settings 0 1 False
  e2e_start_tovrin
  e2e_wait 10 main_window_shown || e2e_fail "$host: no main window without a panel"

  start_host "$host"
  time_until "$host: the icon did not register after the panel started" item_registered
  e2e_log "$host started after Tovrin: icon registered in ${T} s"
  main_window_shown || e2e_fail "$host: the main window went away"

  e2e_focus "$(main_window)"
  xdotool key alt+m
  e2e_wait 5 main_window_hidden || e2e_fail "$host: Minimize to Tray did not hide the window"
  stop_host
  time_until "$host: no main window after the panel quit" main_window_shown
  e2e_log "$host quit: main window back in ${T} s"

  start_host "$host"
  time_until "$host: the icon did not register after the panel restarted" item_registered
  e2e_log "$host restarted: icon registered in ${T} s"
  sleep 2
  [ "$(our_items)" -eq 1 ] || e2e_fail "$host: $(our_items) items after the restart"
  [ "$(xembed_icons)" -eq 0 ] || e2e_fail "$host: also docked as an XEmbed icon: $(xwininfo -root -tree | grep Tovrin)"
  e2e_screenshot "$host-restarted"

  # The icon still answers: the main window put away, the host's activation brings it back.
  e2e_focus "$(main_window)"
  xdotool key alt+m
  e2e_wait 5 main_window_hidden || e2e_fail "$host: Minimize to Tray did not hide the window"
  name=$("$E2E_PY" "$SNI" items | grep "StatusNotifierItem-$TOVRIN_PID-" | head -n 1)
  name=${name%%/*}
  "$E2E_PY" "$SNI" activate "$name" /StatusNotifierItem || e2e_fail "$host: Activate failed"
  e2e_wait 5 main_window_shown || e2e_fail "$host: the activation did not show the main window"
  "$E2E_PY" "$SNI" click "$name" /StatusNotifierItem "E_xit" || e2e_fail "$host: could not choose Exit"
  e2e_wait 5 tovrin_gone || e2e_fail "$host: Exit from the exported menu did not end the program"
  stop_host
done

e2e_log "own, hung at start-up"
start_host own
e2e_wait 10 grep -q '^ready' "$E2E_TMP/sni.log" || e2e_fail "the host did not start"
signal_host STOP
e2e_start_tovrin
time_until "no main window while the host hung" main_window_shown
e2e_log "main window in ${T} s while the host hung"
awk -v t="$T" 'BEGIN {exit !(t < 3)}' || e2e_fail "the main window took ${T} s"
signal_host CONT
time_until "the icon did not come once the host answered" item_registered
main_window_shown || e2e_fail "the main window went away"
e2e_pass
