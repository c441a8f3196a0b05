#!/usr/bin/env bash
# "Show splash screen on start-up": the splash comes up alone, centred; Shift, an arrow
# and a function key leave it; Space puts it away and the main window opens.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"

splash_shown() { [ "$(tovrin_window_count)" -eq 1 ] && tovrin_windows | grep -q ' 498x289+'; }

e2e_start_desktop
e2e_write_settings 1 0 False
e2e_start_tovrin
e2e_wait 15 splash_shown || e2e_fail "no splash screen: $(tovrin_windows)"
sleep 0.5
read -r splash geometry < <(tovrin_windows)
[ "$(tovrin_window_count)" -eq 1 ] || e2e_fail "more than the splash is visible: $(tovrin_windows)"
# 1280x1024 screen: centred is (1280-498)/2, (1024-289)/2.
case "$geometry" in
  498x289+391+367|498x289+391+368) ;;
  *) e2e_fail "splash at $geometry, not centred" ;;
esac
if [ -n "${TOVRIN_DOCS:-}" ]; then
  import -window "$splash" "$TOVRIN_DOCS/splash.png"
fi
e2e_screenshot splash

e2e_focus "$splash"
for key in Shift_L Right F1; do
  xdotool key "$key"
  sleep 0.4
  splash_shown || e2e_fail "$key dismissed the splash"
done
main_window_hidden || e2e_fail "the main window is up before the splash was dismissed"

xdotool key space
e2e_wait 5 main_window_shown || e2e_fail "Space did not bring up the main window"
[ "$(tovrin_window_count)" -eq 1 ] || e2e_fail "the splash stayed: $(tovrin_windows)"
e2e_pass
