#!/usr/bin/env bash
# In-place conversion from a shortcut's command (`tovrin --<conversion> --in-place`,
# handed to the copy in the tray) into real editors, the text selected by the test:
# on X11 with a window manager, a GTK 3 text field and a Qt line edit; on sway, a GTK 3
# text field on Wayland and a Qt line edit through XWayland, the result typed through the
# virtual keyboard, also while the shortcut's Shift, Super or Alt is still down. The selection
# is replaced and the clipboard holds afterwards exactly what it held before (a text, a
# picture). With the focus moved before the paste (X11: the shortcut's key held back
# the paste meanwhile), or away from the selection's window before the shortcut (sway),
# nothing is typed anywhere and the result stays on the clipboard, as a tray command
# leaves it.
#   test_inplace.sh [x11|sway]   (sway: exit status 77 when it is not installed)
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"

DESK=${1:-x11}
DESK_AS=()
files=$E2E_TMP
if [ "$DESK" = sway ]; then
  source "$(dirname "$0")/desktop_lib.sh"
  E2E_NAME=inplace-sway
  desk_installed inplace_sway || { e2e_log "skipped: sway, waybar or wtype is not installed"; exit 77; }
  desk_start_inplace_sway
  files=$E2E_TMP/session
else
  e2e_start_inplace_desktop
fi

# desktop|editor|option|clipboard before|focus|text|editor after|clipboard after (empty: as before)
rows=(
  "x11|gtk|--upper|text|stays|hello wörld ß|HELLO WÖRLD ß|"
  "x11|qt|--upper|text|stays|hello wörld ß|HELLO WÖRLD ß|"
  "x11|gtk|--title|picture|stays|don't stop ǆungla|Don't Stop ǅungla|"
  "x11|qt|--swap|picture|stays|Hello World|hELLO wORLD|"
  "x11|gtk|--sentence|text|moves|first. Second one|first. Second one|First. Second one"
  "x11|qt|--lower|picture|moves|LEAVE ME|LEAVE ME|leave me"
  "sway|gtk|--upper|text|stays|hello wörld ß|HELLO WÖRLD ß|"
  "sway|gtk|--title|picture|stays|don't stop ǆungla|Don't Stop ǅungla|"
  "sway|qt|--swap|text|stays|Hello Wörld|hELLO wÖRLD|"
  "sway|gtk|--lower|text|shift held|MiXED Case|mixed case|"
  "sway|gtk|--lower|text|super held|HOLD ON|hold on|"
  "sway|qt|--lower|text|alt held|HOLD ON|hold on|"
  "sway|gtk|--upper|text|moved before|pick me|pick me|PICK ME"
)
primary_is() { [ "$(e2e_primary_get)" = "$1" ]; }
clip_is() { [ "$(e2e_clip_get)" = "$1" ]; }
for row in "${rows[@]}"; do
  IFS='|' read -r desk editor option clip focus before after result <<<"$row"
  [ "$desk" = "$DESK" ] || continue
  name="$editor $option, $clip before, focus $focus"
  e2e_clip_put_kind "$clip"
  if [ "$focus" = moves ]; then
    e2e_open_editor gtk "Elsewhere" "untouched" "$files/other.txt"
    other_win=$WIN
  elif [ "$focus" = "moved before" ]; then
    # A Qt field: GTK's would select its text as it takes the focus.
    e2e_open_editor qt "Elsewhere" "untouched" "$files/other.txt"
  fi
  e2e_open_editor "$editor" "Editor" "$before" "$files/editor.txt"
  editor_win=$WIN
  e2e_select_all "$editor_win"
  e2e_wait 5 primary_is "$before" \
    || e2e_fail "$name: the editor's text is not the selection: '$(e2e_primary_get)'"
  if [ "$focus" = stays ]; then
    "${DESK_AS[@]}" "$TOVRIN_BIN" "$option" --in-place || e2e_fail "$name: the command failed"
  elif [ "$focus" = "moved before" ]; then
    desk_as swaymsg '[title="^Elsewhere$"] focus' >/dev/null
    "${DESK_AS[@]}" "$TOVRIN_BIN" "$option" --in-place || e2e_fail "$name: the command failed"
  elif [[ $focus = *" held" ]]; then
    # The shortcut's keys still down on the real keyboard must neither change what is
    # typed nor turn it into the desktop's own commands.
    DISPLAY=$DESK_SCREEN xdotool keydown "${focus% held}"
    "${DESK_AS[@]}" "$TOVRIN_BIN" "$option" --in-place || e2e_fail "$name: the command failed"
    e2e_wait 10 e2e_file_is "$files/editor.txt" "$after"
    DISPLAY=$DESK_SCREEN xdotool keyup "${focus% held}"
    ! ls "$files"/bound-* 2>/dev/null || e2e_fail "$name: the typing ran a desktop command"
  else
    # The shortcut's key still down holds the paste back while the focus moves.
    xdotool keydown shift
    "$TOVRIN_BIN" "$option" --in-place || e2e_fail "$name: the command failed"
    sleep 0.3
    xdotool windowactivate --sync "$other_win"
    xdotool keyup shift
  fi
  e2e_wait 10 e2e_file_is "$files/editor.txt" "$after" \
    || e2e_fail "$name: the editor holds '$(cat "$files/editor.txt")', expected '$after'"
  if [ -z "$result" ]; then
    # Given back once the editor took the text.
    e2e_wait 5 e2e_clip_holds_kind "$clip" || e2e_fail "$name: the clipboard was not given back: $(e2e_clip_get)"
  else
    e2e_wait 10 clip_is "$result" \
      || e2e_fail "$name: the clipboard holds '$(e2e_clip_get)', expected the result '$result'"
    e2e_file_is "$files/other.txt" untouched || e2e_fail "$name: typed elsewhere: '$(cat "$files/other.txt")'"
  fi
  sleep 0.5
  e2e_file_is "$files/editor.txt" "$after" || e2e_fail "$name: the editor changed again: '$(cat "$files/editor.txt")'"
  e2e_close_editors
  e2e_log "$name: ok"
done
e2e_pass
