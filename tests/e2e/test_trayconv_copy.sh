#!/usr/bin/env bash
# "copy it directly to the clipboard": each tray command converts the clipboard's text,
# opens no window, and rings two bells. One character in, one out: ß stays ß.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/trayconv_lib.sh"

trayconv_start True
input="Mixed CASE line: Grüße, Привет, Ωmega 2024"
bells=0
for command in upper lower random; do
  e2e_clip_put "$input"
  owner=$(trayconv_clip_owner)
  case $command in
    upper) trayconv_choose u; want="MIXED CASE LINE: GRÜßE, ПРИВЕТ, ΩMEGA 2024" ;;
    lower) trayconv_choose l; want="mixed case line: grüße, привет, ωmega 2024" ;;
    random) trayconv_choose Up Up Up Return; want="" ;;
  esac
  trayconv_wait_owner_change "$owner" 10
  got=$(e2e_clip_get)
  if [ -n "$want" ]; then
    [ "$got" = "$want" ] || e2e_fail "$command left '$got', expected '$want'"
  else
    python3 -c 'import sys; a, b = sys.argv[1:]; sys.exit(0 if len(a) == len(b) and a.lower() == b.lower() else 1)' \
      "$got" "$input" || e2e_fail "rAnDOm left '$got' for '$input'"
  fi
  bells=$((bells + 2))
  trayconv_expect_bells $bells
  [ -z "$(trayconv_text_window)" ] || e2e_fail "$command opened the Text Window"
done
e2e_tovrin_running || e2e_fail "Tovrin is gone"
e2e_pass
