#!/usr/bin/env bash
# A picture on the clipboard: "&UPPERCASE" from the tray leaves it there, byte for byte;
# the result is routed as usual (an empty Text Window, one bell).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/trayconv_lib.sh"

trayconv_start False
picture="$E2E_TMP/picture.png"
convert -size 40x30 gradient:red-blue "$picture" || e2e_fail "could not draw the picture"
timeout 10 xclip -i -selection clipboard -t image/png "$picture"
sleep 0.2
owner=$(trayconv_clip_owner)

trayconv_choose u
e2e_wait_window "Text Window" 10
win=$WIN
trayconv_expect_bells 1

[ "$(trayconv_clip_owner)" = "$owner" ] || e2e_fail "the clipboard changed hands"
targets=$(timeout 10 xclip -o -selection clipboard -t TARGETS)
echo "$targets" | grep -qx 'image/png' || e2e_fail "the clipboard no longer offers the picture: $targets"
timeout 10 xclip -o -selection clipboard -t image/png >"$E2E_TMP/after.png"
cmp -s "$picture" "$E2E_TMP/after.png" || e2e_fail "the picture changed"

# The window has no text to show: its "Copy to Clipboard" puts an empty text.
e2e_focus "$win"
xdotool key ctrl+shift+c
trayconv_wait_owner_change "$owner" 5
[ -z "$(e2e_clip_get)" ] || e2e_fail "the Text Window was not empty"
e2e_pass
