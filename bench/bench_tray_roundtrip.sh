#!/usr/bin/env bash
# Clipboard round trip of the tray's "&UPPERCASE" against the shell pipeline
#   xclip -o -selection clipboard | tr a-z A-Z | xclip -i -selection clipboard
# on the same texts, on a private Xvfb with a tray host.
#
#   bench/bench_tray_roundtrip.sh [TOVRIN_BIN] [REPETITIONS]   (default build/src/tovrin, 7)
#
# One round trip = put the text with xclip + convert + read the result back with
# xclip. For Tovrin "convert" runs from the key press that chooses the menu item
# (the menu is already open) until Tovrin owns the clipboard; for the pipeline it is
# the whole pipeline. Medians over the repetitions, in milliseconds.
set -u
repo=$(cd "$(dirname "$0")/.." && pwd)
export TOVRIN_BIN=${1:-${TOVRIN_BIN:-$repo/build/src/tovrin}}
reps=${2:-7}
export TOVRIN_ARTIFACTS=${TOVRIN_ARTIFACTS:-$(mktemp -d /tmp/tovrin-bench.XXXXXX)}
source "$repo/tests/e2e/lib.sh"
source "$repo/tests/e2e/trayconv_lib.sh"

now_ns() { date +%s%N; }
ms() { echo $(( ($2 - $1) / 1000000 )); }
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

put() { timeout 60 xclip -i -selection clipboard <"$1"; }
read_back() { timeout 60 xclip -o -selection clipboard >"$1"; }

# Prints "put convert read" in ms for one pipeline round trip.
pipeline_once() { # text out
  local t0 t1 t2 t3
  t0=$(now_ns); put "$1"; t1=$(now_ns)
  timeout 60 xclip -o -selection clipboard | tr a-z A-Z | timeout 60 xclip -i -selection clipboard
  t2=$(now_ns); read_back "$2"; t3=$(now_ns)
  echo "$(ms "$t0" "$t1") $(ms "$t1" "$t2") $(ms "$t2" "$t3")"
}

# The same for Tovrin, the tray menu opened beforehand.
tovrin_once() { # text out
  local t0 t1 t2 t3 t4 owner watcher seen
  t0=$(now_ns); put "$1"; t1=$(now_ns)
  owner=$(trayconv_clip_owner)
  trayconv_choose # opens the menu, chooses nothing yet
  python3 "$TRAYCONV_X11" wait-owner "$owner" 60 >"$E2E_TMP/seen" &
  watcher=$!
  sleep 0.3
  t2=$(now_ns)
  xdotool key u
  wait "$watcher" || e2e_fail "Tovrin did not take the clipboard"
  seen=$(cut -d' ' -f2 "$E2E_TMP/seen")
  t3=$(now_ns); read_back "$2"; t4=$(now_ns)
  echo "$(ms "$t0" "$t1") $(ms "$t2" "$seen") $(ms "$t3" "$t4")"
}

trayconv_start True
echo "# tovrin $("$TOVRIN_BIN" --version 2>/dev/null | head -n 1), $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg), $reps repetitions"
printf '| %-6s | %-6s | %-9s | %8s | %8s | %8s | %10s | %s |\n' text size method put convert read "round trip" "× pipeline"
printf '|%s|\n' "--------|--------|-----------|----------|----------|----------|------------|-----------"
for kind in ascii mixed; do
  for mib in 1 10; do
    text="$E2E_TMP/$kind-$mib.txt"
    want=$(python3 "$(dirname "$0")/../tests/e2e/trayconv_bigtext.py" "$text" $((mib * 1024 * 1024)) \
      $([ $kind = ascii ] && echo ascii)) || e2e_fail "no text"
    : >"$E2E_TMP/p" ; : >"$E2E_TMP/t"
    for _ in $(seq "$reps"); do
      pipeline_once "$text" "$E2E_TMP/out-p" >>"$E2E_TMP/p"
      tovrin_once "$text" "$E2E_TMP/out-t" >>"$E2E_TMP/t"
    done
    [ "$(sha256sum <"$E2E_TMP/out-t" | cut -d' ' -f1)" = "$want" ] || e2e_fail "Tovrin's result differs ($kind, $mib MiB)"
    if [ $kind = ascii ]; then
      cmp -s "$E2E_TMP/out-p" "$E2E_TMP/out-t" || e2e_fail "the pipeline and Tovrin differ on ASCII"
    fi
    for method in p t; do
      put=$(awk '{print $1}' "$E2E_TMP/$method" | median)
      conv=$(awk '{print $2}' "$E2E_TMP/$method" | median)
      rd=$(awk '{print $3}' "$E2E_TMP/$method" | median)
      total=$(awk '{print $1 + $2 + $3}' "$E2E_TMP/$method" | median)
      if [ $method = p ]; then
        base=$total; name=pipeline; ratio=1.00
      else
        name=tovrin; ratio=$(awk -v a="$total" -v b="$base" 'BEGIN {printf "%.2f", a / b}')
      fi
      printf '| %-6s | %3d MiB | %-9s | %8s | %8s | %8s | %10s | %s |\n' $kind "$mib" $name "$put" "$conv" "$rd" "$total" "$ratio"
    done
  done
done
