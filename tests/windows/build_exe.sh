#!/usr/bin/env bash
# Cross-builds the Windows program and its installer for the Wine journeys, against the Qt that
# scripts/build-qt-mingw.sh leaves in its cache; skipped (77) without that cache.
# The tests are configured too (wine_unit_tests.sh builds them), not built here.
#   build_exe.sh <source dir> <build dir>
set -euo pipefail
src=$1 out=$2
prefix=${TOVRIN_QT_MINGW_PREFIX:-/var/cache/tovrin/qt6-mingw}
if [ ! -f "$prefix/.tovrin-qt-complete" ]; then
  echo "skipped: no Qt for mingw-w64 in $prefix (scripts/build-qt-mingw.sh builds it)"
  # A build left from an earlier cache must not stand in for this one.
  rm -f "$out/tovrin-exe.txt"
  exit 77
fi
cmake -S "$src" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-x86_64.cmake" \
  -DTOVRIN_QT_MINGW_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" -DTOVRIN_BUILD_TESTS=ON >/dev/null
cmake --build "$out" -j2 --target tovrin_deploy tovrin_setup
