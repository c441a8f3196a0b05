#!/usr/bin/env bash
# The emulation and Wine must agree case by case.  compare.sh <emulation output> <wine output>
set -u
for f in "$1" "$2"; do
  [ -s "$f" ] || { echo "missing output: $f" >&2; exit 1; }
done
strip() { grep -E '^(PASS|FAIL) ' "$1" | sed -E 's/^(PASS|FAIL) //'; }
if diff -u --label emulation --label wine <(strip "$1") <(strip "$2"); then
  echo "$(strip "$1" | wc -l) cases agree"
else
  exit 1
fi
