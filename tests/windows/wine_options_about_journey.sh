#!/usr/bin/env bash
# The Windows program under Wine, installed and started from its Start-menu
# shortcut, by keyboard: a full-width "１" that another program stored reads as no
# valid value, not as "1"; Options OK stores the three values in Wine's registry as
# REG_SZ (read back with `reg query`); About's mail link goes through ShellExecute
# to the program registered for mailto:, here a recorder. A second start brings
# the main window back in front of another program's; "Clipboard to UPPERCASE"
# converts through the running copy and ends; "Selection to UPPERCASE" replaces the text
# selected in Wine's notepad and leaves the clipboard as it was; the uninstaller
# leaves only the settings.
#   wine_options_about_journey.sh <windows build dir> <mingw gcc> <wine64>
out=$1 cc=$2 wine=$3
name=wine_options_about_journey
source "$(dirname "$0")/wine_lib.sh"

# Neither the splash nor the tray: the main window comes up; Copy2Clip is absent.
set_values SplashScreen=１ PlaceInTray=0
"$cc" -municode -O1 -o "$tmp/record_args.exe" "$(dirname "$0")/record_args.c" \
  || fail "record_args.c did not compile"
mail_log=$tmp/mail.txt
# Wine 8 looks classes up in HKCR alone (HKLM\Software\Classes): a per-user class
# under HKCU\Software\Classes, which Windows prefers, is not seen.
"$wine" reg add 'HKCR\mailto\shell\open\command' /ve /t REG_SZ \
  /d "\"$("$wine" winepath -w "$tmp/record_args.exe" 2>/dev/null | tr -d '\r')\" \"$("$wine" winepath -w "$mail_log" 2>/dev/null | tr -d '\r')\" \"%1\"" \
  /f >/dev/null 2>&1 || fail "could not register the mailto: recorder"

install_tovrin
start_tovrin
wait_window Tovrin 60 || fail "the main window did not show"
main=$WIN
sleep 1
screenshot main

# Options: check both boxes, choose "copy it directly to the clipboard", OK.
focus "$main"
xdotool key alt+f
sleep 0.5
xdotool key o
wait_window Options 20 || fail "File > Options did not open the dialog"
options=$WIN
focus "$options"
screenshot options
[ "$(query_value SplashScreen)" = "SplashScreen REG_SZ １" ] || fail "SplashScreen changed before OK"
xdotool key space Tab space Tab space Tab
sleep 0.3
xdotool key space
wait_for 10 window_closed Options || fail "OK did not close the dialog"
for expected in "SplashScreen REG_SZ 1" "PlaceInTray REG_SZ 1" "Copy2Clip REG_SZ True"; do
  got=$(query_value "${expected%% *}")
  [ "$got" = "$expected" ] || fail "reg query: '$got', expected '$expected'"
done

# About: OK has the focus; Tab passes the home page link to the mail link.
focus "$main"
xdotool key alt+t
sleep 0.5
xdotool key a
wait_window About 20 || fail "Tovrin > About did not open the About box"
about=$WIN
focus "$about"
screenshot about
xdotool key Tab Tab
sleep 0.3
xdotool key space
wait_for 20 test -s "$mail_log" || fail "the mail link reached no mailto: handler"
sleep 0.5
[ "$(cat "$mail_log")" = "mailto:tovrin@ardelon.example" ] \
  || fail "the mailto: handler was given '$(cat "$mail_log")'"
# The mail program may have taken the focus: back to the box, where the link keeps it.
focus "$about"
xdotool key shift+Tab shift+Tab
sleep 0.3
xdotool key Return
wait_for 10 window_closed About || fail "OK did not put the About box away"

# A second start: the running copy's window comes back to the front, from behind
# another program's window. (Not minimised first: the window has no minimise box, so
# Windows offers no way to, and Wine ignores a window manager's iconify of it.)
# Wine 8 never asks the window manager to activate a window (its X11 driver has no
# _NET_ACTIVE_WINDOW), so the X focus stays with the other program: "the front" is
# Windows' foreground window, inside Wine, and the top of the window manager's stack.
"$cc" -municode -O1 -o "$tmp/window_probe.exe" "$(dirname "$0")/window_probe.c" || fail "window_probe.c did not compile"
foreground_is() { [ "$("$wine" "$tmp/window_probe.exe" foreground 2>/dev/null | tr -d '\r')" = "$1" ]; }
above() { # window other: window stacked above other
  xprop -root _NET_CLIENT_LIST_STACKING | tr -s ', ' '\n\n' | grep '^0x' \
    | awk -v w="$(printf '0x%x' "$1")" -v o="$(printf '0x%x' "$2")" '$1 == o {seen = 1} $1 == w && seen {ok = 1} END {exit !ok}'
}
xmessage -geometry 900x700+0+0 "in front" &
pids+=($!)
wait_for 10 sh -c 'xdotool search --onlyvisible --class "^Xmessage$" >/dev/null' || fail "no window to put in front"
other=$(xdotool search --onlyvisible --class '^Xmessage$' | head -n1)
xdotool windowactivate --sync "$other" 2>/dev/null
behind() { [ "$(xdotool getactivewindow)" = "$other" ] && above "$other" "$main" && ! foreground_is Tovrin; }
front() { above "$main" "$other" && foreground_is Tovrin; }
wait_for 10 behind || fail "the other window did not take the front"
start_tovrin
wait_for 20 front || fail "a second start did not bring the main window to the front (Windows' foreground: \
'$("$wine" "$tmp/window_probe.exe" foreground | tr -d '\r')', X stack: $(xprop -root _NET_CLIENT_LIST_STACKING))"
wait_for 20 one_copy || fail "$(tovrin_pids | wc -l) copies run after a second start"

# Copy2Clip is True now: the conversion goes straight back to the clipboard.
printf 'Shortcut ω text' | timeout 10 xclip -i -selection clipboard
start_shortcut "Clipboard to UPPERCASE"
wait_for 20 clipboard_is 'SHORTCUT Ω TEXT' && wait_for 20 one_copy \
  || fail "'$(timeout 5 xclip -o -selection clipboard)', $(tovrin_pids | wc -l) copies after the UPPERCASE shortcut"

# In place, in Wine's notepad: the selection is replaced, through the running copy,
# and the clipboard holds again what it held before.
"$wine" notepad >/dev/null 2>&1 &
pids+=($!)
wait_window 'Untitled - Notepad' 60 || fail "notepad did not start"
focus "$WIN"
probe_is() { [ "$("$wine" "$tmp/window_probe.exe" "${@:2}" 2>/dev/null | tr -d '\r')" = "$1" ]; }
notepad_holds() { probe_is "$1" edit 'Untitled - Notepad'; }
to_clipboard() { # text: on the X clipboard, and once Wine has taken it over
  printf '%s' "$1" | timeout 10 xclip -i -selection clipboard
  wait_for 20 probe_is "$1" clipboard || fail "Wine's clipboard did not take '$1' over"
}
to_clipboard 'Notepad ω text'
xdotool key ctrl+v
wait_for 10 notepad_holds 'Notepad ω text' || fail "notepad holds no pasted text"
xdotool key ctrl+a
to_clipboard 'Kept ü clipboard'
start_shortcut "Selection to UPPERCASE"
wait_for 20 notepad_holds 'NOTEPAD Ω TEXT' \
  || fail "notepad holds '$("$wine" "$tmp/window_probe.exe" edit 'Untitled - Notepad' | tr -d '\r')' after --upper --in-place"
wait_for 10 clipboard_is 'Kept ü clipboard' && one_copy \
  || fail "'$(timeout 5 xclip -o -selection clipboard)', $(tovrin_pids | wc -l) copies after --in-place"

focus "$main"
xdotool key alt+f
sleep 0.5
xdotool key x
wait_for 20 tovrin_gone || fail "File > Exit did not end the program"
uninstall_leaves_settings_only
echo "[$name] passed"
