#!/usr/bin/env bash
# Every window by keyboard alone, as a screen-reader user meets it: the splash, the
# main window (Tab leaves the text boxes, Ctrl+Tab types a tab, a conversion by
# keys), Options (option buttons are radio buttons), About (both links reached and
# opened by keys, with the link role), the Credits (their text can be read) and the
# Text Window (named, focused, copied by keys; opened from the tray icon, which the
# keyboard cannot reach).
# Names, roles and the focus are read from the accessibility tree over AT-SPI, on
# a private session bus. Options must also come up centred, its frame included.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"
here=$(cd "$(dirname "$0")" && pwd)

# A recording opener first on PATH: Qt hands links to xdg-open.
mkdir -p "$E2E_TMP/bin"
opened="$E2E_TMP/opened.log"
: >"$opened"
cat >"$E2E_TMP/bin/xdg-open" <<REC
#!/bin/sh
printf '%s\n' "\$*" >>"$opened"
REC
chmod +x "$E2E_TMP/bin/xdg-open"
export PATH="$E2E_TMP/bin:$PATH"

e2e_start_desktop --tray
openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
E2E_PIDS+=($!)
e2e_wait 10 xprop -root _NET_SUPPORTING_WM_CHECK || e2e_fail "the window manager did not start"

# The session bus starts the accessibility bus when the program asks for it.
e2e_start_session_bus
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

atspi() { /usr/bin/python3 "$here/atspi_tree.py" "$@" 2>>"$E2E_TMP/atspi.log"; }
trap 'cat "$E2E_TMP/atspi.log" >&2 2>/dev/null; e2e_cleanup' EXIT

# Waits until the focused object is this role and name ("role<TAB>name").
expect_focus() { # role name
  local want got deadline=$(( $(date +%s) + 5 ))
  want=$(printf '%s\t%s' "$1" "$2")
  while :; do
    got=$(atspi focused | cut -f1,2 | head -n 1)
    [ "$got" = "$want" ] && { e2e_log "focus: $1 '$2'"; return 0; }
    [ "$(date +%s)" -ge "$deadline" ] && e2e_fail "focus on '$got', expected '$want'"
    sleep 0.2
  done
}

# Fails unless the tree holds an object with this role and a name matching the
# pattern (and, if given, this state).
expect_object() { # role name-pattern [state]
  atspi dump >"$E2E_TMP/tree" || e2e_fail "could not read the accessibility tree"
  awk -F'\t' -v role="$1" -v name="$2" -v state="${3:-}" \
    '$1 == role && $2 ~ name && (state == "" || index($3, state)) {found = 1} END {exit !found}' "$E2E_TMP/tree" \
    || { sed 's/^/  tree: /' "$E2E_TMP/tree" | head -n 80 >&2; e2e_fail "no $1 named like '$2' ${3:-}"; }
  e2e_log "tree: $1 '$2' ${3:-}"
}

key() { xdotool key --delay 80 "$@"; sleep 0.3; }

# --- the splash: Delete types nothing, Enter goes on ----------------------------
e2e_write_settings 1 0 False
e2e_start_tovrin
e2e_wait 10 xdotool search --onlyvisible --classname tovrin || e2e_fail "no splash"
splash=$(xdotool search --onlyvisible --classname tovrin | head -n 1)
e2e_focus "$splash"
key Delete
sleep 0.5
[ -z "$(e2e_window Tovrin)" ] || e2e_fail "Delete dismissed the splash"
key Return
e2e_wait_window Tovrin
main=$WIN
e2e_focus "$main"

# --- main window ------------------------------------------------------------------
expect_object text "^Source text$"
expect_object text "^Result text$"
expect_focus text "Source text"
xdotool type --delay 40 "ab"
key ctrl+Tab
xdotool type --delay 40 "c"
expect_focus text "Source text"
key Tab
expect_focus text "Result text"
key shift+Tab
expect_focus text "Source text"
key Tab Tab
expect_focus "push button" "UPPERCASE"
key space
result=$(atspi text "Result text")
[ "$result" = 'AB\tC' ] || e2e_fail "UPPERCASE by keyboard gave '$result'"
e2e_log "UPPERCASE by keyboard: $result"

# --- Options -------------------------------------------------------------------------
key alt+f
key o
e2e_wait_window Options 5
options=$WIN
sleep 0.5
# Centred with its frame: the frame's middle is the work area's (the screen less the panel).
read -r ax ay aw ah < <(xprop -root _NET_WORKAREA | sed -n 's/.*= //p' | tr -d ',' | cut -d' ' -f1-4)
x=$(xwininfo -id "$options" | awk '/Absolute upper-left X:/ {print $4}')
y=$(xwininfo -id "$options" | awk '/Absolute upper-left Y:/ {print $4}')
w=$(xwininfo -id "$options" | awk '/Width:/ {print $2}')
h=$(xwininfo -id "$options" | awk '/Height:/ {print $2}')
read -r l r t b < <(xprop -id "$options" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ',')
cx=$(( (x - l) * 2 + w + l + r - 2 * ax - aw + 1280 )); cy=$(( (y - t) * 2 + h + t + b - 2 * ay - ah + 1024 ))
e2e_log "Options frame: $((x - l)),$((y - t)) $((w + l + r))x$((h + t + b)) (extents $l $r $t $b)"
[ $(( cx - 1280 )) -ge -2 ] && [ $(( cx - 1280 )) -le 2 ] && [ $(( cy - 1024 )) -ge -2 ] && [ $(( cy - 1024 )) -le 2 ] \
  || e2e_fail "Options not centred with its frame: centre at $((cx / 2)),$((cy / 2))"
expect_object "radio button" "^copy it directly to the clipboard$"
expect_object "radio button" "^open it in a new window$" checked
expect_focus "check box" "Show splash screen on start-up"
key Tab Tab
expect_focus "radio button" "copy it directly to the clipboard"
key space
expect_object "radio button" "^copy it directly to the clipboard$" checked
key alt+F4
e2e_wait 5 sh -c "! xdotool search --onlyvisible --name '^Options\$'" || e2e_fail "Options did not close"

# --- About: both links by keyboard ------------------------------------------------------
e2e_focus "$main"
key alt+t
key a
e2e_wait_window About 5
about=$WIN
expect_focus "push button" "OK"
expect_object link "^Qwirl home page$"
expect_object link "^Mail tovrin@ardelon.example$"
key Tab
expect_focus link "Qwirl home page"
key Return
key Tab
expect_focus link "Mail tovrin@ardelon.example"
key space
e2e_wait 5 grep -q mailto "$opened" || e2e_fail "the mail link did not open: $(cat "$opened")"
grep -qx "http://www.qwirl.example/" "$opened" || e2e_fail "the home page did not open: $(cat "$opened")"
grep -qx "mailto:tovrin@ardelon.example" "$opened" || e2e_fail "wrong mail link: $(cat "$opened")"
e2e_log "opened by keyboard: $(tr '\n' ' ' <"$opened")"
key shift+Tab shift+Tab
expect_focus "push button" "OK"
key Return
e2e_wait 5 sh -c "! xdotool search --onlyvisible --name '^About\$'" || e2e_fail "OK did not put About away"

# --- Credits: the text can be read --------------------------------------------------------
e2e_focus "$main"
key alt+t
key r
e2e_wait_window Credits 5
credits=$WIN
sleep 0.5
atspi dump >"$E2E_TMP/tree"
role=$(awk -F'\t' 'index($2, "CREDITS") {print $1; exit}' "$E2E_TMP/tree")
[ -n "$role" ] || { sed 's/^/  tree: /' "$E2E_TMP/tree" | head -n 60 >&2; e2e_fail "the credits expose no text"; }
expect_object "$role" "No animals were harmed"
expect_object "$role" "IN MY PANTS!"
key alt+F4
e2e_wait 5 sh -c "! xdotool search --onlyvisible --name '^Credits\$'" || e2e_fail "Credits did not close"

# --- Text Window: a conversion from the tray opens it ---------------------------------
e2e_focus "$main"
key alt+m
e2e_wait 10 tray_icon_position || e2e_fail "Minimize to Tray put no icon in the tray"
e2e_clip_put "text from elsewhere"
xdotool mousemove $(tray_icon_position) mousedown 3
sleep 0.2
xdotool mouseup 3
sleep 0.5
key u
e2e_wait_window "Text Window" 10
e2e_focus "$WIN"
expect_object text "^Converted text$"
expect_focus text "Converted text"
shown=$(atspi text "Converted text")
[ "$shown" = "TEXT FROM ELSEWHERE" ] || e2e_fail "the Text Window shows '$shown'"
xdotool key End
xdotool type --delay 40 "!"
key ctrl+shift+c
e2e_wait 5 sh -c '[ "$(xclip -o -selection clipboard 2>/dev/null)" = "TEXT FROM ELSEWHERE!" ]' \
  || e2e_fail "Ctrl+Shift+C put '$(e2e_clip_get)' on the clipboard"
e2e_log "Text Window copied by keyboard: $(e2e_clip_get)"

e2e_tovrin_running || e2e_fail "tovrin ended"
e2e_pass
