#!/usr/bin/env bash
# Type a line into the source box, UPPERCASE it, copy the result: the desktop's
# clipboard holds the line in upper case.
source "$(dirname "$0")/lib.sh"

e2e_start_desktop
e2e_start_tovrin
e2e_wait_window Tovrin
win=$WIN
e2e_focus "$win"

# Client coordinates are twips / 15; the menu bar sits above the client area.
menu_h=$(xwininfo -id "$win" | awk '/Height:/ {print $2}')
menu_h=$(( menu_h - 328 ))

e2e_click "$win" 130 $(( menu_h + 100 ))           # into txtBase
e2e_type 20 "Hello, World: straße ünd 42"
sleep 0.3
e2e_click "$win" 324 $(( menu_h + 96 ))            # UPPERCASE
e2e_click "$win" 520 $(( menu_h + 304 ))           # Copy to Clipboard

got=$(e2e_clip_get)
want="HELLO, WORLD: STRAßE ÜND 42"
[ "$got" = "$want" ] || e2e_fail "clipboard holds '$got', expected '$want'"
e2e_pass
