#!/usr/bin/env bash
# Options from the File menu with the keyboard: check both boxes, choose "copy it
# directly to the clipboard", OK: the settings file holds the three texts. A second
# run shows what is stored: a change made there and confirmed keeps the rest.
source "$(dirname "$0")/lib.sh"

settings="$XDG_CONFIG_HOME/Ardelon/Tovrin.reg"

open_options() {
  e2e_wait_window Tovrin
  main=$WIN
  e2e_focus "$main"
  xdotool key --window "$main" alt+f
  sleep 0.4
  xdotool key o
  e2e_wait_window Options
  options=$WIN
  e2e_focus "$options"
}

# Waits for the dialog to go away (OK unloads it).
wait_closed() {
  e2e_wait 5 sh -c "! xdotool search --onlyvisible --name '^Options\$' | grep -q ." \
    || e2e_fail "the Options dialog did not close"
}

value_line() { grep -x "\"$1\"=\"$2\"" "$settings" >/dev/null; }

exit_program() {
  e2e_focus "$main"
  xdotool key --window "$main" alt+f
  sleep 0.4
  xdotool key x
  e2e_wait 10 sh -c "! kill -0 $TOVRIN_PID" || e2e_fail "the program did not end"
}

e2e_start_desktop

# First run: no settings file at all.
e2e_start_tovrin
open_options
[ -e "$settings" ] && e2e_fail "the settings file exists before any OK"
e2e_screenshot options-first-run
# The focus starts on the first check box; the tab order runs through both boxes,
# the option buttons and OK. The option buttons are one group, so Tab leaves them
# after the one it entered (the arrows move between them).
xdotool key space Tab space Tab space Tab
sleep 0.2
e2e_screenshot options-chosen
xdotool key space
wait_closed

[ -f "$settings" ] || e2e_fail "no settings file after OK"
value_line SplashScreen 1 || e2e_fail "SplashScreen not stored as \"1\": $(cat "$settings")"
value_line PlaceInTray 1 || e2e_fail "PlaceInTray not stored as \"1\": $(cat "$settings")"
value_line Copy2Clip True || e2e_fail "Copy2Clip not stored as \"True\": $(cat "$settings")"
grep -qx '\[HKEY_CURRENT_USER\\Software\\Ardelon\\Tovrin\]' "$settings" || e2e_fail "wrong key: $(cat "$settings")"
head -n 1 "$settings" | grep -qx 'Windows Registry Editor Version 5.00' || e2e_fail "no header line"
[ "$(stat -c %a "$settings")" = 600 ] || e2e_fail "the settings file is not private"
exit_program

# Second run: without the splash and tray settings, which would keep the main window
# away; written by hand, with CR LF line ends and a comment.
printf 'Windows Registry Editor Version 5.00\r\n\r\n; by hand\r\n[HKEY_CURRENT_USER\\Software\\Ardelon\\Tovrin]\r\n"SplashScreen"="0"\r\n"PlaceInTray"="0"\r\n"Copy2Clip"="True"\r\n' >"$settings"
e2e_start_tovrin
open_options
e2e_screenshot options-second-run
# Check the splash box only and confirm: the copy choice must still be the stored one.
xdotool key space Tab Tab Tab space
wait_closed
value_line SplashScreen 1 || e2e_fail "SplashScreen: $(cat "$settings")"
value_line PlaceInTray 0 || e2e_fail "PlaceInTray: $(cat "$settings")"
value_line Copy2Clip True || e2e_fail "the dialog did not show the stored Copy2Clip: $(cat "$settings")"
grep -q $'\r' "$settings" && e2e_fail "OK did not write the file anew"
exit_program
e2e_pass
