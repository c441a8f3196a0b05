#!/usr/bin/env bash
# Builds the Windows program, its zip and its installer: the cross Qt first when
# its cache is missing (scripts/build-qt-mingw.sh, 15-25 minutes at -j2; skipped
# once built), then tovrin.exe with mingw-w64, the zip and the setup beside it.
#   TOVRIN_WINDOWS_BUILD_DIR  where the build goes (default build-windows/)
#   TOVRIN_QT_MINGW_PREFIX    the cross Qt         (default /var/cache/tovrin/qt6-mingw)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRIN_WINDOWS_BUILD_DIR:-$root/build-windows}
prefix=${TOVRIN_QT_MINGW_PREFIX:-/var/cache/tovrin/qt6-mingw}
"$root/scripts/deps.sh"
TOVRIN_QT_MINGW_PREFIX=$prefix "$root/scripts/build-qt-mingw.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DTOVRIN_QT_MINGW_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$build" -j2 --target tovrin_setup
ls "$build"/*.zip "$build"/*-setup.exe
