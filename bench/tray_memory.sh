#!/usr/bin/env bash
# Resident memory of Tovrin in the tray around clipboard conversions ("&UPPERCASE" from
# the tray menu, "copy it directly to the clipboard"), against the text's own size:
# idle, after one 10 MiB conversion and after a series of five (while Tovrin owns the
# result, and once another program took the clipboard), and the peak (VmHWM) of
# one 50 MiB conversion of ASCII and of mixed-script text, each peak in a fresh process.
# Every result is read back and checked.
#
#   bench/tray_memory.sh [TOVRIN_BIN]      (default build/src/tovrin)
set -u
repo=$(cd "$(dirname "$0")/.." && pwd)
export TOVRIN_BIN=${1:-${TOVRIN_BIN:-$repo/build/src/tovrin}}
export TOVRIN_ARTIFACTS=${TOVRIN_ARTIFACTS:-$(mktemp -d /tmp/tovrin-bench.XXXXXX)}
source "$repo/tests/e2e/lib.sh"
source "$repo/tests/e2e/trayconv_lib.sh"

mib=$((1024 * 1024))
status_kb() { awk -v f="$1:" '$1 == f {print $2}' "/proc/$TOVRIN_PID/status"; }
in_mib() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }
bells=0

convert() { # text expected-sha256
  local owner got
  timeout 60 xclip -i -selection clipboard <"$1" || e2e_fail "xclip could not take the text"
  owner=$(trayconv_clip_owner)
  trayconv_choose u
  trayconv_wait_owner_change "$owner" 120
  bells=$((bells + 2))
  trayconv_expect_bells "$bells" 60
  got=$(timeout 120 xclip -o -selection clipboard | sha256sum | cut -d' ' -f1)
  [ "$got" = "$2" ] || e2e_fail "the converted text differs ($1)"
  sleep 1
}

restart_tovrin() {
  kill "$TOVRIN_PID"; wait "$TOVRIN_PID" 2>/dev/null
  e2e_start_tovrin
  e2e_wait 15 tray_icon_position || e2e_fail "Tovrin's icon did not come back"
  sleep 1
  bells=0; : >"$BELLS"
}

gen() { # name bytes [ascii]
  python3 "$repo/tests/e2e/trayconv_bigtext.py" "$E2E_TMP/$1" "$2" ${3:-} || e2e_fail "no text"
}

want10=$(gen ascii10 $((10 * mib)) ascii)
want50a=$(gen ascii50 $((50 * mib)) ascii)
want50m=$(gen mixed50 $((50 * mib)))

trayconv_start True
sleep 1
echo "# tovrin $("$TOVRIN_BIN" --version 2>/dev/null | head -n 1), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $(date -u '+%F %H:%M UTC')"
# Another program takes the clipboard, so Tovrin lets its copy of the result go.
clipboard_moves_on() { echo moved on | timeout 10 xclip -i -selection clipboard; sleep 1; }
idle=$(status_kb VmRSS)
convert "$E2E_TMP/ascii10" "$want10"
one=$(status_kb VmRSS)
clipboard_moves_on
one_gone=$(status_kb VmRSS)
for _ in 1 2 3 4; do convert "$E2E_TMP/ascii10" "$want10"; done
five=$(status_kb VmRSS)
clipboard_moves_on
five_gone=$(status_kb VmRSS)
row() { printf '%-50s %7s MiB  %6s MiB against idle\n' "$1" "$(in_mib "$2")" "$(in_mib $(($2 - idle)))"; }
printf '%-50s %7s MiB\n' "idle in the tray (RSS)" "$(in_mib "$idle")"
row "one 10 MiB conversion, Tovrin owns the result" "$one"
row "the same, once another program took the clipboard" "$one_gone"
row "five 10 MiB conversions, Tovrin owns the result" "$five"
row "the same, once another program took the clipboard" "$five_gone"

for kind in ascii mixed; do
  restart_tovrin
  base=$(status_kb VmRSS)
  if [ $kind = ascii ]; then convert "$E2E_TMP/ascii50" "$want50a"; else convert "$E2E_TMP/mixed50" "$want50m"; fi
  peak=$(status_kb VmHWM)
  printf '%-50s %7s MiB  %5.2fx the text (%.2fx above idle)\n' "peak, 50 MiB $kind (VmHWM)" "$(in_mib "$peak")" \
    "$(awk -v p="$peak" 'BEGIN {print p / 51200}')" "$(awk -v p="$peak" -v b="$base" 'BEGIN {print (p - b) / 51200}')"
done
