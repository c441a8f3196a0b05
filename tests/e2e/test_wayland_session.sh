#!/usr/bin/env bash
# In a Wayland session with XWayland the program runs as an X client, where it can
# read the clipboard without the keyboard focus; a platform the user chose wins.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"

e2e_start_desktop --tray
e2e_write_settings 0 1 False

# What a Wayland session looks like to a program; the Xvfb display stands in for XWayland.
unset QT_QPA_PLATFORM
export WAYLAND_DISPLAY=wayland-tovrin-test XDG_SESSION_TYPE=wayland
e2e_start_tovrin
e2e_wait 10 tray_icon_count_is 1 || e2e_fail "no icon on the X display's tray: the program did not run as an X client"
e2e_tovrin_running || e2e_fail "the program ended"
! grep -qi wayland "$E2E_TMP/tovrin.log" || e2e_fail "the program tried Wayland: $(cat "$E2E_TMP/tovrin.log")"

# The user's own choice is kept: offscreen shows nothing on the X display.
kill "$TOVRIN_PID"; wait "$TOVRIN_PID" 2>/dev/null || true
e2e_wait 10 tray_icon_count_is 0 || e2e_fail "the first copy's icon stays"
QT_QPA_PLATFORM=offscreen e2e_start_tovrin
sleep 2
e2e_tovrin_running || e2e_fail "the program ended under the platform the user chose: $(cat "$E2E_TMP/tovrin.log")"
tray_icon_count_is 0 || e2e_fail "QT_QPA_PLATFORM=offscreen was overridden: an icon is on the X display"
e2e_pass
