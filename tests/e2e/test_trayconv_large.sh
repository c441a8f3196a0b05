#!/usr/bin/env bash
# 50 MiB of mixed-script UTF-8 on the clipboard, "&UPPERCASE" from the tray: the
# clipboard then holds exactly the expected text, Tovrin keeps answering, and its peak
# memory stays under six times the text's size.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/trayconv_lib.sh"

size=$((50 * 1024 * 1024))
text="$E2E_TMP/big.txt"
want=$(python3 "$(dirname "$0")/trayconv_bigtext.py" "$text" "$size") || e2e_fail "could not write the text"

trayconv_start True
timeout 60 xclip -i -selection clipboard <"$text" || e2e_fail "xclip could not take the text"
owner=$(trayconv_clip_owner)
[ "$owner" != 0 ] || e2e_fail "nobody owns the clipboard"

trayconv_choose u
start=$(date +%s%N)
trayconv_wait_owner_change "$owner" 60
e2e_log "converted in $(( ($(date +%s%N) - start) / 1000000 )) ms"
trayconv_expect_bells 2 30

start=$(date +%s%N)
got=$(timeout 120 xclip -o -selection clipboard | sha256sum | cut -d' ' -f1)
e2e_log "read back in $(( ($(date +%s%N) - start) / 1000000 )) ms"
[ "$got" = "$want" ] || e2e_fail "the clipboard's text differs from the expected one (sha256 $got, expected $want)"

# Still answering at once: the tray menu opens and "Main Window" shows the window.
start=$(date +%s%N)
trayconv_choose w
e2e_wait_window Tovrin 5
e2e_log "main window after $(( ($(date +%s%N) - start) / 1000000 )) ms"

peak_kb=$(awk '/^VmHWM:/ {print $2}' "/proc/$TOVRIN_PID/status")
limit_kb=$(( 6 * size / 1024 ))
e2e_log "peak resident memory ${peak_kb} kB (limit ${limit_kb} kB, $(( peak_kb * 100 / (size / 1024) ))% of the text)"
[ "$peak_kb" -lt "$limit_kb" ] || e2e_fail "peak resident memory ${peak_kb} kB, over ${limit_kb} kB"
e2e_pass
