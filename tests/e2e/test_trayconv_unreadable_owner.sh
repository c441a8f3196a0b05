#!/usr/bin/env bash
# Owners that list text but do not hand it over soundly, with "copy it directly to the
# clipboard": each tray command leaves the clipboard with its owner, rings one bell,
# and ends within its time limit, and Tovrin answers its window system all along (the
# longest wait for an answer stays under a second), also while requests flood in over
# the session bus during the read; it never holds much more than one read may take, and
# it takes commands at once afterwards.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/bus_lib.sh"
source "$(dirname "$0")/trayconv_lib.sh"

# case | limit (ms, from the key press to the last bell) | the owner's arguments |
# `random` actions asked over the bus while the read waits (each refused with a bell)
cases=(
  "refuses the text|2000|refuse"
  "invalid UTF8_STRING|2000|bytes UTF8_STRING 477275dfe5"
  "invalid text/plain;charset=utf-8|2000|bytes text/plain;charset=utf-8 6f6bc0af"
  "UTF-8 surrogate|2000|bytes UTF8_STRING 61eda080"
  "COMPOUND_TEXT, unknown charset|2000|bytes COMPOUND_TEXT 1b285a4142"
  "COMPOUND_TEXT, cut double-byte text|2000|bytes COMPOUND_TEXT 1b242842467c4b"
  "every reply after 4.5 s|12000|--delay 4.5 --incr 2 utf8 slow-text|50"
  "INCR chunks 4.9 s apart|12000|--chunk-delay 4.9 --incr 3 utf8 chunked-text"
  "INCR without end, small pieces|12000|--incr 64 --endless grow"
  "INCR without end, 213 KB pieces|12000|--incr 1 --endless grow"
  "INCR announcing 4 GiB|2000|--incr 2 --announce 4294967295 utf8 huge"
  "text grows while read|4000|grow"
)

# What one read may take (MiB): a sixteenth of the memory, within 64 MiB and 1 GiB.
read_cap_mib=$(awk '$1 == "MemTotal:" {c = int($2 / 1024 / 16); print (c < 64 ? 64 : (c > 1024 ? 1024 : c))}' /proc/meminfo)

bus_start
trayconv_start True
e2e_wait 10 bus_owned || e2e_fail "Tovrin did not take its bus name"
bells=0
row_number=0
for row in "${cases[@]}"; do
  row_number=$((row_number + 1))
  log="$E2E_TMP/owner-$row_number.log"
  IFS='|' read -r name limit_ms args flood <<<"$row"
  flood=${flood:-0}
  # shellcheck disable=SC2086
  "$E2E_PY" "$CLIP_OWNER" $args >"$log" 2>&1 &
  owner_pid=$!
  E2E_PIDS+=($owner_pid)
  e2e_wait 10 grep -q '^ready' "$log" || e2e_fail "$name: the owner did not start: $(cat "$log")"
  owner=$(awk '/^ready/ {print $2}' "$log")

  "$E2E_PY" "$TRAYCONV_X11" ping "$(tray_icon_windows | head -n 1)" >"$E2E_TMP/ping-$row_number.log" &
  ping_pid=$!
  E2E_PIDS+=($ping_pid)
  e2e_wait 10 grep -q rtt "$E2E_TMP/ping-$row_number.log" || e2e_fail "$name: the probe got no answer"
  trayconv_choose u
  start=$(date +%s%N)
  if [ "$flood" -gt 0 ]; then
    e2e_wait 10 grep -q '^targets' "$log" || e2e_fail "$name: the read did not begin"
    bus_flood random "$flood"
  fi
  bells=$((bells + 1 + flood))
  e2e_wait 20 trayconv_bells_at_least $bells || e2e_fail "$name: $(trayconv_bells) bells after 20 s, expected $bells"
  elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
  sleep 0.5
  kill "$ping_pid" 2>/dev/null
  read -r answers longest_ms < <(awk '{n++} $2 > m {m = $2} END {print n + 0, m + 0}' "$E2E_TMP/ping-$row_number.log")
  peak_mib=$(awk '$1 == "VmHWM:" {print int($2 / 1024)}' "/proc/$TOVRIN_PID/status")
  e2e_log "$name: gave up after $elapsed_ms ms; the longest of $answers answers took $longest_ms ms; peak $peak_mib MiB"
  [ "$answers" -gt 0 ] && [ "$longest_ms" -lt 1000 ] || e2e_fail "$name: Tovrin did not answer for $longest_ms ms"
  trayconv_expect_bells $bells
  [ "$elapsed_ms" -lt "$limit_ms" ] || e2e_fail "$name: the command took $elapsed_ms ms (limit $limit_ms)"
  [ "$(trayconv_clip_owner)" = "$owner" ] || e2e_fail "$name: the clipboard changed hands"
  ! grep -q '^lost' "$log" || e2e_fail "$name: the owner lost the clipboard"
  [ -z "$(trayconv_text_window)" ] || e2e_fail "$name: a Text Window opened"
  # The bytes read are held once, with room to grow, never copied whole.
  [ "$peak_mib" -lt $((read_cap_mib * 3 / 2 + 100)) ] \
    || e2e_fail "$name: $peak_mib MiB at the peak (one read may take $read_cap_mib MiB)"
  kill "$owner_pid" 2>/dev/null
  wait "$owner_pid" 2>/dev/null
done

# Still taking commands: the tray menu opens at once and "Main Window" shows it.
start=$(date +%s%N)
trayconv_choose w
e2e_wait_window Tovrin 5
e2e_log "main window after $(( ($(date +%s%N) - start) / 1000000 )) ms"
trayconv_expect_bells $bells
e2e_tovrin_running || e2e_fail "Tovrin is gone"
e2e_pass
