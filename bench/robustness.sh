#!/usr/bin/env bash
# Peak memory and longest user-interface freeze of Tovrin under floods and hostile
# clipboard owners, each against the same program at rest, measured in the same run.
#
#   bench/robustness.sh [TOVRIN_BIN [PATTERN]]   (default build/src/tovrin, every scenario)
#
# With PATTERN (an extended regular expression), only the scenarios whose name matches it
# run, after the program at rest.
# Every scenario gets a fresh Tovrin in the tray (X11 with an XEmbed tray host, a private
# session bus) and runs while two probes ask Tovrin's user-interface thread again and
# again: an X11 ping (_NET_WM_PING, answered by Qt on that thread) and a refused D-Bus
# call (ActivateAction with an unknown name, answered by a slot on that thread). Printed
# per scenario: peak RSS (VmHWM, MiB) and its ratio to the program at rest, the longest
# wait for each probe's answer (ms), memory left afterwards (VmRSS, MiB), the bells
# rung, and whether the clipboard changed hands.
set -u
repo=$(cd "$(dirname "$0")/.." && pwd)
export TOVRIN_BIN=${1:-${TOVRIN_BIN:-$repo/build/src/tovrin}}
only=${2:-}
export TOVRIN_ARTIFACTS=${TOVRIN_ARTIFACTS:-$(mktemp -d /tmp/tovrin-bench.XXXXXX)}
source "$repo/tests/e2e/lib.sh"
source "$repo/tests/e2e/bus_lib.sh"
source "$repo/tests/e2e/trayconv_lib.sh"
CLIP_OWNER="$repo/tests/e2e/clip_owner.py"

# The longest wait for an answer over the probe's log ("rtt MS" lines).
longest() { awk '$2 > m {m = $2} END {print m + 0}' "$@"; }

dbus_probe() { # log
  exec "$E2E_PY" - "$BUS_NAME" "$BUS_PATH" >"$1" <<'PY'
import sys, time, dbus
app = dbus.Interface(dbus.SessionBus().get_object(sys.argv[1], sys.argv[2], introspect=False),
                     "org.freedesktop.Application")
while True:
    t0 = time.monotonic()
    try:
        app.ActivateAction("probe-only", dbus.Array([], signature="v"), dbus.Dictionary({}, signature="sv"),
                           timeout=600)
    except dbus.DBusException:
        pass
    print("rtt %d" % ((time.monotonic() - t0) * 1000), flush=True)
    time.sleep(0.02)
PY
}

vm() { awk -v k="$1:" '$1 == k {printf "%.0f", $2 / 1024}' "/proc/$TOVRIN_PID/status"; }

rest_hwm=""
scenario() { # name setup-command... (the setup runs the flood or starts the owner)
  local name=$1; shift
  [ -n "$rest_hwm" ] && [ -n "$only" ] && ! [[ $name =~ $only ]] && return
  trayconv_start True
  e2e_wait 10 bus_owned || e2e_fail "no bus name"
  "$E2E_PY" "$TRAYCONV_X11" ping "$(tray_icon_windows | head -n 1)" >"$E2E_TMP/xping.log" &
  local xping=$!
  dbus_probe "$E2E_TMP/dping.log" &
  local dping=$!
  e2e_wait 10 grep -q rtt "$E2E_TMP/xping.log"
  e2e_wait 10 grep -q rtt "$E2E_TMP/dping.log"
  local bells_before=$(trayconv_bells)
  SCENARIO_OWNER=$(trayconv_clip_owner)
  "$@"
  sleep 2
  kill "$xping" "$dping" 2>/dev/null
  wait "$xping" "$dping" 2>/dev/null
  local hwm rss changed=no
  hwm=$(vm VmHWM); rss=$(vm VmRSS)
  [ -z "$rest_hwm" ] && rest_hwm=$hwm
  [ "$(trayconv_clip_owner)" = "$SCENARIO_OWNER" ] || changed=yes
  printf '%-44s %7s %6s %7s %7s %8s %6s %8s\n' "$name" "$hwm" "$(awk -v a="$hwm" -v b="$rest_hwm" 'BEGIN {printf "%.1f", a / b}')" \
    "$(longest "$E2E_TMP/xping.log")" "$(longest "$E2E_TMP/dping.log")" "$rss" "$(( $(trayconv_bells) - bells_before ))" "$changed"
  kill "$TOVRIN_PID"; wait "$TOVRIN_PID" 2>/dev/null
  local i; for (( i=${#E2E_PIDS[@]}-1; i>=1; i-- )); do kill "${E2E_PIDS[$i]}" 2>/dev/null; done
  E2E_PIDS=("${E2E_PIDS[0]}")
  sleep 0.5
}

at_rest() { sleep 5; }
owner_then_upper() { # owner arguments...
  "$E2E_PY" "$CLIP_OWNER" "$@" >"$E2E_TMP/owner.log" 2>&1 &
  E2E_PIDS+=($!)
  e2e_wait 10 grep -q '^ready' "$E2E_TMP/owner.log"
  SCENARIO_OWNER=$(trayconv_clip_owner)
  trayconv_choose u
  sleep 13
}
hung_then_upper() {
  "$E2E_PY" "$TRAYCONV_X11" hold >"$E2E_TMP/owner.log" 2>&1 &
  E2E_PIDS+=($!)
  e2e_wait 10 grep -q ready "$E2E_TMP/owner.log"
  SCENARIO_OWNER=$(trayconv_clip_owner)
  trayconv_choose u
  sleep 8
}
random_flood_during_big_random() {
  "$E2E_PY" -c 'print(("Mixed Case Text " * 65536)[:1 << 20], end="")' | xclip -i -selection clipboard
  sleep 0.3
  SCENARIO_OWNER=$(trayconv_clip_owner)
  bus_action random >/dev/null
  bus_flood random 2000
}
unknown_flood() { bus_flood no-such-action 20000; }
huge_argument() { bus_flood no-such-action 1 $((100 << 20)); sleep 2; }

bus_start
printf '%-44s %7s %6s %7s %7s %8s %6s %8s\n' scenario peakMiB ratio xMs busMs afterMiB bells changed
scenario "at rest" at_rest
scenario "owner never answers" hung_then_upper
scenario "owner answers each request after 4.5 s" owner_then_upper --delay 4.5 --incr 2 utf8 slow-text
scenario "owner's text grows while read" owner_then_upper grow
scenario "INCR without end (213 KB pieces)" owner_then_upper --incr 1 --endless grow
scenario "INCR announcing 4 GiB" owner_then_upper --incr 2 --announce 4294967295 utf8 huge
scenario "20,000 refused D-Bus calls" unknown_flood
scenario "one 100 MiB D-Bus argument" huge_argument
scenario "2,000 random actions during 1 MiB rAnDOm" random_flood_during_big_random
