#!/usr/bin/env bash
# Installs what the tests need, builds, and runs every test: unit, component and
# end-to-end (each end-to-end test starts its own X server and tray host).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOVRIN_BUILD_DIR:-$root/build}
"$root/scripts/deps.sh"
TOVRIN_BUILD_DIR=$build "$root/scripts/build.sh"
cd "$build"
ctest --output-on-failure -j2 --timeout 900
