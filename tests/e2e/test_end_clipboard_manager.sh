#!/usr/bin/env bash
# Ending Tovrin with its result on the clipboard while a clipboard manager runs (our
# stand-in takes the text over as managers do, slowly; and xfce4-clipman itself, which
# keeps Qt waiting for an answer it never gives): Exit from the tray menu, and the
# signals a logout, `kill` and Ctrl+C send, all end Tovrin in order. The icon goes at
# once, the manager gets the converted text, and a new start right away finds no
# running copy in its way.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/bus_lib.sh"
source "$(dirname "$0")/trayconv_lib.sh"

# how Tovrin is asked to end | the stand-in's delay (s), or a real manager
cases=(
  "Exit|3"
  "TERM|0"
  "HUP|0"
  "INT|3"
  "Exit|xfce4-clipman"
)

bus_free() { ! bus_owned; }
one_copy_runs() { [ "$(tovrin_process_count)" -eq 1 ]; }

bus_start
trayconv_start True
row_number=0
for row in "${cases[@]}"; do
  row_number=$((row_number + 1))
  IFS='|' read -r how delay <<<"$row"
  log="$E2E_TMP/manager-$row_number.log"
  if [ "$delay" = xfce4-clipman ]; then
    command -v xfce4-clipman >/dev/null || { e2e_log "$how with $delay: skipped, not installed"; continue; }
    xfce4-clipman >"$log" 2>&1 &
  else
    "$E2E_PY" "$CLIP_OWNER" --delay "$delay" manager >"$log" 2>&1 &
  fi
  manager_pid=$!
  E2E_PIDS+=($manager_pid)
  [ "$delay" = xfce4-clipman ] && sleep 2 ||
    e2e_wait 10 grep -q '^ready' "$log" || e2e_fail "$how: the manager did not start: $(cat "$log")"

  text="ended by $how"
  e2e_clip_put "$text"
  trayconv_choose u
  e2e_wait 10 sh -c "[ \"\$(timeout 5 xclip -o -selection clipboard)\" = '${text^^}' ]" \
    || e2e_fail "$how: the conversion left '$(e2e_clip_get)'"

  start=$(date +%s%N)
  if [ "$how" = Exit ]; then trayconv_choose x; else kill -s "$how" "$TOVRIN_PID"; fi
  e2e_wait 2 tray_has_no_icon || e2e_fail "$how: the icon stayed"
  e2e_wait 2 bus_free || e2e_fail "$how: the bus name stayed"
  e2e_log "$how: icon and bus name gone after $(( ($(date +%s%N) - start) / 1000000 )) ms"
  # A new start at once: it runs, with its icon, while the old copy hands over.
  e2e_start_tovrin
  e2e_wait 3 tray_has_icon || e2e_fail "$how: a new start got no icon within 3 s"
  if [ "$delay" != xfce4-clipman ]; then
    e2e_wait 10 grep -q '^saved' "$log" || e2e_fail "$how: the manager got nothing: $(cat "$log")"
    [ "$(awk '/^saved/ {print $2}' "$log")" = "$(printf '%s' "${text^^}" | od -An -tx1 | tr -d ' \n')" ] \
      || e2e_fail "$how: the manager saved $(grep '^saved' "$log")"
  fi
  e2e_wait 8 one_copy_runs || e2e_fail "$how: the old copy did not end"
  e2e_log "$how: the old copy ended after $(( ($(date +%s%N) - start) / 1000000 )) ms"
  [ "$(e2e_clip_get)" = "${text^^}" ] || e2e_fail "$how: the clipboard now holds '$(e2e_clip_get)'"
  kill "$manager_pid" 2>/dev/null
  wait "$manager_pid" 2>/dev/null
  e2e_wait 5 bus_owned || e2e_fail "$how: the new start does not own the bus name"
done
e2e_pass
