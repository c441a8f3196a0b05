#!/usr/bin/env bash
# From the shortcut's command to the selected text replaced, in a GTK 3 text field on
# a private Xvfb with openbox, for 1 KiB of text: `tovrin --upper --in-place` (handed
# to the copy in the tray over the session bus), and the same action asked of the copy
# in the tray directly (`gdbus call ... ActivateAction upper-in-place`, what's left
# without Tovrin's own start-up), against the shell way
#   xclip -o -selection primary | tr a-z A-Z | xclip -selection clipboard; xdotool key ctrl+v
# run in turn on the same text, freshly selected each time.
#
#   bench/inplace_roundtrip.sh [TOVRIN_BIN] [REPETITIONS]   (default build/src/tovrin, 9)
#
# Prints each run and the medians in milliseconds, and Tovrin's medians over the shell's.
set -u
repo=$(cd "$(dirname "$0")/.." && pwd)
export TOVRIN_BIN=${1:-${TOVRIN_BIN:-$repo/build/src/tovrin}}
export TOVRIN_BUILD_DIR=${TOVRIN_BUILD_DIR:-$(cd "$(dirname "$TOVRIN_BIN")/.." && pwd)}
reps=${2:-9}
export TOVRIN_ARTIFACTS=${TOVRIN_ARTIFACTS:-$(mktemp -d /tmp/tovrin-bench.XXXXXX)}
source "$repo/tests/e2e/lib.sh"
source "$repo/tests/e2e/tray_lib.sh"

now_ns() { date +%s%N; }
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

e2e_start_inplace_desktop

# 1 KiB of mixed-case words.
text=$(head -c 4000 /dev/urandom | base64 -w 0 | tr -d '+/0-9' | head -c 1024)
upper=$(tr a-z A-Z <<<"$text")
file=$E2E_TMP/editor.txt

# Milliseconds from the command's start until the editor holds the upper case, in ONCE_MS.
once() { # command...
  e2e_close_editors
  e2e_open_editor gtk Editor "$text" "$file"
  e2e_focus "$WIN"
  xdotool key --clearmodifiers ctrl+a
  e2e_wait 5 bash -c "[ \"\$(timeout 5 xclip -o -selection primary)\" = \"\$1\" ]" _ "$text" || e2e_fail "not selected"
  local t0 content
  t0=$(now_ns)
  "$@"
  while :; do
    content=$(<"$file")
    [ "$content" = "$upper" ] && break
    [ $(( $(now_ns) - t0 )) -gt 10000000000 ] && e2e_fail "the text was not replaced by: $*"
    sleep 0.002
  done
  ONCE_MS=$(( ($(now_ns) - t0) / 1000000 ))
}

shell_way() {
  timeout 10 xclip -o -selection primary | tr a-z A-Z | timeout 10 xclip -selection clipboard
  xdotool key ctrl+v
}
tovrin_way() { "$TOVRIN_BIN" --upper --in-place; }
bus_way() {
  gdbus call --session --dest com.ardelon.Tovrin --object-path /com/ardelon/Tovrin \
    --method org.freedesktop.Application.ActivateAction upper-in-place "[]" "{}" >/dev/null
}
ratio() { awk -v t="$1" -v s="$2" 'BEGIN {printf "%.2f", t / s}'; }

: >"$E2E_TMP/shell"; : >"$E2E_TMP/tovrin"; : >"$E2E_TMP/bus"
once tovrin_way # warm-up
for ((i = 1; i <= reps; i++)); do
  once shell_way; s=$ONCE_MS
  once tovrin_way; t=$ONCE_MS
  once bus_way; b=$ONCE_MS
  echo "run $i: shell $s ms, tovrin $t ms, bus action $b ms"
  echo "$s" >>"$E2E_TMP/shell"; echo "$t" >>"$E2E_TMP/tovrin"; echo "$b" >>"$E2E_TMP/bus"
done
s=$(median <"$E2E_TMP/shell"); t=$(median <"$E2E_TMP/tovrin"); b=$(median <"$E2E_TMP/bus")
echo "median: shell $s ms, tovrin $t ms, bus action $b ms"
echo "tovrin/shell $(ratio "$t" "$s"), bus action/shell $(ratio "$b" "$s")"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
