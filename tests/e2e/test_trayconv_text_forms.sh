#!/usr/bin/env bash
# Text handed over in the other forms X11 allows, with "copy it directly to the
# clipboard": COMPOUND_TEXT only (as libX11 encodes it, in several character sets),
# TEXT only in the encoding the owner chose, incrementally (also with notices of
# pieces that are not there), or slowly but within the read's deadline. "&UPPERCASE" replaces it
# with the converted text and rings two bells. Then Tovrin, owning the clipboard
# itself, converts its own text at once.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/trayconv_lib.sh"

# case | limit (ms, from the key press to the new owner) | expected | the owner's arguments
# (owner arguments last: the text may hold spaces)
cases=(
  "COMPOUND_TEXT, Latin-1|3000|GRÜßE, CAFÉ ½|compound|Grüße, café ½"
  "COMPOUND_TEXT, Greek, Cyrillic, euro|3000|ΩMEGA ПРИВЕТ Ё€|compound|Ωmega Привет ё€"
  "COMPOUND_TEXT, Japanese and Korean|3000|日本語テキスト 한국어 ABC|compound|日本語テキスト 한국어 abc"
  "COMPOUND_TEXT, UTF-8 segment|3000|😀 OK 𐐀|compound|😀 ok 𐐨"
  "TEXT only, answered as UTF8_STRING|3000|GRÜßE AUS KÖLN|text-as UTF8_STRING|grüße aus Köln"
  "UTF8_STRING in INCR chunks|3000|ÉTÉ IN PIECES|--incr 4 utf8|été in pieces"
  "INCR chunks after stale notices|3000|ÉTÉ, STALE NOTICES|--incr 3 --stale-notices utf8|été, stale notices"
  "two replies after 4.5 s each|12000|SLOW BUT IN TIME|--delay 4.5 utf8|slow but in time"
)

trayconv_start True
bells=0
row_number=0
for row in "${cases[@]}"; do
  row_number=$((row_number + 1))
  log="$E2E_TMP/owner-$row_number.log"
  IFS='|' read -r name limit_ms want args text <<<"$row"
  # shellcheck disable=SC2086
  "$E2E_PY" "$CLIP_OWNER" $args "$text" >"$log" 2>&1 &
  owner_pid=$!
  E2E_PIDS+=($owner_pid)
  e2e_wait 10 grep -q '^ready' "$log" || e2e_fail "$name: the owner did not start: $(cat "$log")"
  owner=$(awk '/^ready/ {print $2}' "$log")

  trayconv_choose u
  start=$(date +%s%N)
  trayconv_wait_owner_change "$owner" 20
  elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
  e2e_log "$name: converted in $elapsed_ms ms"
  [ "$elapsed_ms" -lt "$limit_ms" ] || e2e_fail "$name: the command took $elapsed_ms ms (limit $limit_ms)"
  got=$(e2e_clip_get)
  [ "$got" = "$want" ] || e2e_fail "$name: the clipboard holds '$got', expected '$want'"
  bells=$((bells + 2))
  trayconv_expect_bells $bells
  kill "$owner_pid" 2>/dev/null
  wait "$owner_pid" 2>/dev/null
done

# The clipboard is Tovrin's own now.
trayconv_choose l
start=$(date +%s%N)
e2e_wait 5 trayconv_bells_at_least $((bells + 2)) || e2e_fail "converting its own text rang no bells within 5 s"
e2e_log "its own text converted in $(( ($(date +%s%N) - start) / 1000000 )) ms"
trayconv_expect_bells $((bells + 2))
got=$(e2e_clip_get)
[ "$got" = "slow but in time" ] || e2e_fail "its own text became '$got'"
e2e_tovrin_running || e2e_fail "Tovrin is gone"
e2e_pass
