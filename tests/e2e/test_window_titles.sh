#!/usr/bin/env bash
# The captions the desktop shows are the windows' own, with nothing appended (Qt adds
# " — <display name>" on X11 when a display name is set).
source "$(dirname "$0")/lib.sh"

wm_name() { xprop -id "$1" _NET_WM_NAME | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'; }

e2e_start_desktop
e2e_start_tovrin
e2e_wait_window Tovrin
main=$WIN
[ "$(wm_name "$main")" = "Tovrin" ] || e2e_fail "the main window's caption is '$(wm_name "$main")'"

e2e_focus "$main"
xdotool key alt+f
sleep 0.3
xdotool key o
options=""
for _ in $(seq 50); do
  for w in $(xdotool search --onlyvisible --class Tovrin 2>/dev/null); do
    [ "$w" != "$main" ] && [ -n "$(wm_name "$w")" ] && options=$w
  done
  [ -n "$options" ] && break
  sleep 0.1
done
[ -n "$options" ] || e2e_fail "File > Options opened no window"
[ "$(wm_name "$options")" = "Options" ] || e2e_fail "the Options dialog's caption is '$(wm_name "$options")'"
e2e_pass
