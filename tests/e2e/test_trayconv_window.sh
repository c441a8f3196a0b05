#!/usr/bin/env bash
# "open it in a new window": each tray command converts the clipboard's text, the Text
# Window shows the result (or keeps its earlier text while it stays open), one bell.
# The window's "Copy to Clipboard" puts its whole text, edits included, on the clipboard.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/trayconv_lib.sh"

# What the Text Window holds, read back through its own "Copy to Clipboard".
window_text() { # window
  e2e_clip_put "placeholder"
  local before
  before=$(trayconv_clip_owner)
  e2e_focus "$1"
  xdotool key ctrl+shift+c
  trayconv_wait_owner_change "$before" 5
  e2e_clip_get
}

same_but_case() { # a b
  python3 -c 'import sys; a, b = sys.argv[1:]; sys.exit(0 if len(a) == len(b) and a.lower() == b.lower() else 1)' "$1" "$2"
}

trayconv_start False

# UPPERCASE: the window opens with the result.
input="Hello, Mixed Case: Wörld ça 42"
e2e_clip_put "$input"
owner=$(trayconv_clip_owner)
trayconv_choose u
trayconv_wait_owner_change "$owner" 10
got=$(e2e_clip_get)
[ "$got" = "HELLO, MIXED CASE: WÖRLD ÇA 42" ] || e2e_fail "UPPERCASE left '$got'"
e2e_wait_window "Text Window" 5
win=$WIN
trayconv_expect_bells 1
shown=$(window_text "$win")
[ "$shown" = "HELLO, MIXED CASE: WÖRLD ÇA 42" ] || e2e_fail "the Text Window shows '$shown'"

# lowercase while the window is open: it keeps its text, the clipboard has the new result.
e2e_clip_put "Second LINE"
owner=$(trayconv_clip_owner)
trayconv_choose l
trayconv_wait_owner_change "$owner" 10
got=$(e2e_clip_get)
[ "$got" = "second line" ] || e2e_fail "lowercase left '$got'"
trayconv_expect_bells 2
[ "$(trayconv_text_window)" = "$win" ] || e2e_fail "the Text Window was replaced"
shown=$(window_text "$win")
[ "$shown" = "HELLO, MIXED CASE: WÖRLD ÇA 42" ] || e2e_fail "the open Text Window now shows '$shown'"

# rAnDOm after the window was closed: it opens afresh with the new result.
trayconv_close_window "$win"
input="Random Input, Ünïcode and 123"
e2e_clip_put "$input"
owner=$(trayconv_clip_owner)
trayconv_choose Up Up Up Return
trayconv_wait_owner_change "$owner" 10
got=$(e2e_clip_get)
same_but_case "$got" "$input" || e2e_fail "rAnDOm left '$got' for '$input'"
e2e_wait_window "Text Window" 5
win=$WIN
trayconv_expect_bells 3
shown=$(window_text "$win")
[ "$shown" = "$got" ] || e2e_fail "the new Text Window shows '$shown', the clipboard had '$got'"

# An edit, then "Copy to Clipboard": the whole edited text.
e2e_focus "$win"
xdotool key ctrl+End
xdotool type --delay 30 " plus Edit"
shown=$(window_text "$win")
[ "$shown" = "$got plus Edit" ] || e2e_fail "after the edit the clipboard holds '$shown'"
trayconv_expect_bells 3
e2e_tovrin_running || e2e_fail "Tovrin is gone"
e2e_pass
