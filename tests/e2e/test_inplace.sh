#!/usr/bin/env bash
# In-place conversion from a shortcut's command (`tovrin --<conversion> --in-place`,
# handed to the copy in the tray) into real editors, the text selected by the test:
# on X11 with a window manager, a GTK 3 text field and a Qt line edit; the selection
# is replaced and the clipboard holds afterwards exactly what it held before (a text, a
# picture). With the focus moved before the paste, nothing is typed anywhere and the
# result stays on the clipboard, as a tray command leaves it.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"

e2e_start_inplace_desktop

# editor|option|clipboard before|focus|text|editor after|clipboard after (empty: as before)
rows=(
  "gtk|--upper|text|stays|hello wörld ß|HELLO WÖRLD ß|"
  "qt|--upper|text|stays|hello wörld ß|HELLO WÖRLD ß|"
  "gtk|--title|picture|stays|don't stop ǆungla|Don't Stop ǅungla|"
  "qt|--swap|picture|stays|Hello World|hELLO wORLD|"
  "gtk|--sentence|text|moves|first. Second one|first. Second one|First. Second one"
  "qt|--lower|picture|moves|LEAVE ME|LEAVE ME|leave me"
)
for row in "${rows[@]}"; do
  IFS='|' read -r editor option clip focus before after result <<<"$row"
  name="$editor $option, $clip before, focus $focus"
  e2e_clip_put_kind "$clip"
  if [ "$focus" = moves ]; then
    e2e_open_editor gtk "Elsewhere" "untouched" "$E2E_TMP/other.txt"
    other_win=$WIN
  fi
  e2e_open_editor "$editor" "Editor" "$before" "$E2E_TMP/editor.txt"
  editor_win=$WIN
  e2e_focus "$editor_win"
  xdotool key --clearmodifiers ctrl+a
  e2e_wait 5 bash -c "[ \"\$(timeout 5 xclip -o -selection primary)\" = \"\$1\" ]" _ "$before" \
    || e2e_fail "$name: the editor's text is not the selection: '$(timeout 5 xclip -o -selection primary)'"
  if [ "$focus" = stays ]; then
    "$TOVRIN_BIN" "$option" --in-place || e2e_fail "$name: the command failed"
  else
    # The shortcut's key still down holds the paste back while the focus moves.
    xdotool keydown shift
    "$TOVRIN_BIN" "$option" --in-place || e2e_fail "$name: the command failed"
    sleep 0.3
    xdotool windowactivate --sync "$other_win"
    xdotool keyup shift
  fi
  e2e_wait 10 e2e_file_is "$E2E_TMP/editor.txt" "$after" \
    || e2e_fail "$name: the editor holds '$(cat "$E2E_TMP/editor.txt")', expected '$after'"
  if [ -z "$result" ]; then
    # Given back once the editor took the text.
    e2e_wait 5 e2e_clip_holds_kind "$clip" || e2e_fail "$name: the clipboard was not given back: $(e2e_clip_get)"
  else
    e2e_wait 10 bash -c "[ \"\$(timeout 5 xclip -o -selection clipboard)\" = \"\$1\" ]" _ "$result" \
      || e2e_fail "$name: the clipboard holds '$(e2e_clip_get)', expected the result '$result'"
    e2e_file_is "$E2E_TMP/other.txt" untouched || e2e_fail "$name: typed elsewhere: '$(cat "$E2E_TMP/other.txt")'"
  fi
  sleep 0.5
  e2e_file_is "$E2E_TMP/editor.txt" "$after" || e2e_fail "$name: the editor changed again: '$(cat "$E2E_TMP/editor.txt")'"
  e2e_close_editors
  e2e_log "$name: ok"
done
e2e_pass
