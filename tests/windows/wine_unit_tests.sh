#!/usr/bin/env bash
# The unit and component tests cross-built for Windows and run under Wine with the
# offscreen platform, each reported by name; one Wine prefix of its own, no X server.
# Skipped (77) without the cached cross Qt.
#   wine_unit_tests.sh <windows build dir> <wine64>
set -uo pipefail
out=$1 wine=$2
prefix=${TOVRIN_QT_MINGW_PREFIX:-/var/cache/tovrin/qt6-mingw}
if [ ! -f "$prefix/.tovrin-qt-complete" ] || [ ! -f "$out/tovrin-exe.txt" ]; then
  echo "skipped: no Windows build in $out (needs the Qt cache in $prefix)"
  exit 77
fi
[ -f "$prefix/plugins/platforms/qoffscreen.dll" ] \
  || { echo "the Qt cache in $prefix has no offscreen platform plugin"; exit 1; }
cmake --build "$out" -j2 --target tovrin_windows_tests || exit 1
list=$out/tests/windows-tests.txt
[ -s "$list" ] || { echo "no list of Windows tests in $list"; exit 1; }

tmp=$(mktemp -d "${TMPDIR:-/tmp}/tovrin-wine-unit.XXXXXX")
cleanup() {
  WINEPREFIX=$tmp/prefix "$(dirname "$wine")/wineserver" -k 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
winpath() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
# Qt's DLLs and the compiler's runtime are found along PATH; the plugins in the cache.
dll_path=
while read -r dir; do
  dll_path+="${dll_path:+;}$(winpath "$dir")"
done < "$out/tests/windows-dll-dirs.txt"
export WINEPATH=$dll_path
# Wine 8 does not hand QT_QPA_PLATFORM from this environment on to the program;
# the prefix's user environment does.
for value in QT_QPA_PLATFORM=offscreen "QT_PLUGIN_PATH=$(winpath "$prefix/plugins")"; do
  "$wine" reg add 'HKCU\Environment' /v "${value%%=*}" /t REG_SZ /d "${value#*=}" /f >/dev/null 2>&1 \
    || { echo "could not set ${value%%=*} in the Wine prefix"; exit 1; }
done

passed=0 failed=()
while read -r test exe; do
  # TOVRIN_WINE_TESTS (a regular expression) picks some by name while iterating.
  [[ $test =~ ${TOVRIN_WINE_TESTS:-.} ]] || continue
  # Each its own settings folder, as on Linux, though the registry is Wine's.
  mkdir -p "$tmp/xdg-$test"
  start=$(date +%s)
  # QtTest on Windows writes to the debugger rather than to a redirected stdout.
  XDG_CONFIG_HOME=$tmp/xdg-$test timeout 300 "$wine" "$exe" -o "$(winpath "$tmp/$test.log"),txt" \
    >"$tmp/$test.out" 2>&1
  status=$?
  touch "$tmp/$test.log"
  totals=$(tr -d '\r' <"$tmp/$test.log" | grep '^Totals:' | tail -n1)
  seconds=$(( $(date +%s) - start ))
  if [ "$status" -eq 0 ] && [ -n "$totals" ]; then
    echo "PASS  $test ($seconds s) $totals"
    passed=$((passed + 1))
  else
    echo "FAIL  $test (exit $status) ${totals:-no totals}"
    tr -d '\r' <"$tmp/$test.log" | grep -E '^(FAIL!|XPASS|QFATAL)|Loc: ' | head -n 40 | sed 's/^/      /'
    failed+=("$test")
  fi
done < "$list"
echo "$passed passed, ${#failed[@]} failed under Wine${failed:+: ${failed[*]}}"
[ "${#failed[@]}" -eq 0 ] && [ "$passed" -gt 0 ]
