#!/usr/bin/env bash
# Installs what the tests need, builds, and runs every test: unit, component and
# end-to-end (each end-to-end test starts its own X server and tray host); then the
# unit tests once more, built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRIN_BUILD_DIR:-$root/build}
"$root/scripts/deps.sh"
TOVRIN_BUILD_DIR=$build "$root/scripts/build.sh"
cd "$build"
ctest --output-on-failure -j2 --timeout 900

# Memory faults and undefined behaviour that pass unnoticed in a release build. -O1
# without debug information keeps this build within the time CI has; leaks are not
# looked for (Qt and fontconfig keep caches until exit).
sanitized=${TOVRIN_SANITIZE_BUILD_DIR:-$build-sanitize}
cmake -S "$root" -B "$sanitized" -G Ninja -DCMAKE_BUILD_TYPE= \
  -DCMAKE_CXX_FLAGS="-O1 -g0 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$sanitized" -j"$(nproc)" --target tovrin_unit_tests
cd "$sanitized"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest -L unit -R '^tst_' --output-on-failure -j2 --timeout 900
