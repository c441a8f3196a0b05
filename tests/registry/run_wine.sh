#!/usr/bin/env bash
# Runs a Windows console program under Wine in a throw-away prefix, with no display,
# and keeps its one-line-per-case output.  run_wine.sh <wine64> <program.exe> <output>
set -u
wine=$1 exe=$2 out=$3
prefix=$(mktemp -d "${TMPDIR:-/tmp}/tovrin-wine.XXXXXX")
cleanup() {
  WINEPREFIX=$prefix "$(dirname "$wine")/wineserver" -k 2>/dev/null
  rm -rf "$prefix"
}
trap cleanup EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all DISPLAY= WAYLAND_DISPLAY=
# No Mono or Gecko installers on the first start of the prefix.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
"$wine" "$exe" >"$out.raw" 2>"$out.stderr"
status=$?
tr -d '\r' <"$out.raw" | grep -E '^(PASS|FAIL|     expected)' >"$out"
cat "$out"
if ! grep -q '^PASS' "$out"; then
  echo "no case ran under Wine (status $status):" >&2
  cat "$out.stderr" >&2
  exit 1
fi
exit $status
