#!/usr/bin/env bash
# The running copy on the session bus: each desktop action through gdbus does what the
# tray menu does (conversions, main window, Options); bad calls get an error and change
# nothing; 1,000 activations in a burst and a crowd of starts leave one working copy.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/bus_lib.sh"
source "$(dirname "$0")/trayconv_lib.sh"

bus_start
trayconv_start True
e2e_wait 10 bus_owned || e2e_fail "the running copy does not own $BUS_NAME"
owner=$(bus_owner)

input="Mixed CASE line: Grüße, Ωmega 42"
bells=0
for action in upper lower random title sentence swap; do
  e2e_clip_put "$input"
  clip_owner=$(trayconv_clip_owner)
  reply=$(bus_action "$action") || e2e_fail "ActivateAction $action: $reply"
  [ "$reply" = "()" ] || e2e_fail "ActivateAction $action answered '$reply'"
  trayconv_wait_owner_change "$clip_owner" 10
  got=$(e2e_clip_get)
  case $action in
    upper) [ "$got" = "MIXED CASE LINE: GRÜßE, ΩMEGA 42" ] || e2e_fail "upper left '$got'" ;;
    lower) [ "$got" = "mixed case line: grüße, ωmega 42" ] || e2e_fail "lower left '$got'" ;;
    title) [ "$got" = "Mixed Case Line: Grüße, Ωmega 42" ] || e2e_fail "title left '$got'" ;;
    sentence) [ "$got" = "Mixed case line: grüße, ωmega 42" ] || e2e_fail "sentence left '$got'" ;;
    swap) [ "$got" = "mIXED case LINE: gRÜßE, ωMEGA 42" ] || e2e_fail "swap left '$got'" ;;
    random) /usr/bin/python3 -c 'import sys; a, b = sys.argv[1:]; sys.exit(0 if len(a) == len(b) and a.lower() == b.lower() else 1)' \
              "$got" "$input" || e2e_fail "random left '$got'" ;;
  esac
  bells=$((bells + 2))
  trayconv_expect_bells $bells
  [ -z "$(trayconv_text_window)" ] || e2e_fail "$action opened the Text Window although the result goes to the clipboard"
  [ -z "$(e2e_window Tovrin)" ] || e2e_fail "$action showed the main window"
done

# Bad calls: an error for the caller, nothing for the user.
e2e_clip_put "keep me"
for call in "ActivateAction format-disk [] {}" "ActivateAction upper [<1>] {}" "ActivateAction 42 [] {}" \
            "Open ['file:///etc/passwd'] {}" "Quit"; do
  # shellcheck disable=SC2086
  reply=$(bus_call $call) && e2e_fail "'$call' was accepted: $reply"
  [[ "$reply" == *"org.freedesktop.DBus.Error."* ]] || e2e_fail "'$call' got no D-Bus error: $reply"
done
sleep 0.5
[ "$(e2e_clip_get)" = "keep me" ] || e2e_fail "a refused call changed the clipboard to '$(e2e_clip_get)'"
[ "$(trayconv_bells)" -eq "$bells" ] || e2e_fail "a refused call rang a bell"
[ -z "$(e2e_window Tovrin)" ] || e2e_fail "a refused call showed the main window"

close_window() { # title
  /usr/bin/python3 "$TRAYCONV_X11" close "$WIN"
  e2e_wait 5 test -z "$(e2e_window "$1")" || e2e_fail "$1 did not close"
}
bus_action options >/dev/null || e2e_fail "ActivateAction options failed"
e2e_wait_window Options 10
close_window Options
[ -z "$(e2e_window Tovrin)" ] || e2e_fail "options showed the main window"

reply=$(bus_call Activate "{}") || e2e_fail "Activate: $reply"
e2e_wait_window Tovrin 10
# With the icon in the tray the close box only hides the main window.
close_window Tovrin
bus_action show >/dev/null || e2e_fail "ActivateAction show failed"
e2e_wait_window Tovrin 10

# 1,000 activations in a burst, and twenty starts at once.
/usr/bin/python3 - "$BUS_NAME" "$BUS_PATH" <<'PY' || e2e_fail "the burst of activations failed"
import sys, dbus
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib
DBusGMainLoop(set_as_default=True)
app = dbus.SessionBus().get_object(sys.argv[1], sys.argv[2])
iface = dbus.Interface(app, "org.freedesktop.Application")
loop, left, errors = GLib.MainLoop(), [1000], []
def done(*_):
    left[0] -= 1
    if left[0] == 0: loop.quit()
def failed(e):
    errors.append(e); done()
for i in range(1000):
    if i % 2:
        iface.Activate({}, reply_handler=done, error_handler=failed, timeout=60)
    else:
        iface.ActivateAction("show", dbus.Array([], signature="v"), {}, reply_handler=done, error_handler=failed, timeout=60)
GLib.timeout_add_seconds(90, loop.quit)
loop.run()
sys.exit(1 if errors or left[0] else 0)
PY
for _ in $(seq 20); do
  timeout 20 "$TOVRIN_BIN" >>"$E2E_TMP/crowd.log" 2>&1 &
done
wait_crowd() { [ "$(tovrin_process_count)" -eq 1 ]; }
e2e_wait 30 wait_crowd || e2e_fail "$(tovrin_process_count) copies run after twenty starts"
[ "$(bus_owner)" = "$owner" ] || e2e_fail "the name changed hands to '$(bus_owner)'"
e2e_tovrin_running || e2e_fail "the running copy ended"
tray_icon_count_is 1 || e2e_fail "the tray holds $(tray_icon_count) icons"

# Still working after it all.
e2e_clip_put "after the burst"
clip_owner=$(trayconv_clip_owner)
bus_action upper >/dev/null || e2e_fail "upper after the burst failed"
trayconv_wait_owner_change "$clip_owner" 10
[ "$(e2e_clip_get)" = "AFTER THE BURST" ] || e2e_fail "upper after the burst left '$(e2e_clip_get)'"
e2e_pass
