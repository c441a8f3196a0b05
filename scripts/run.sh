#!/usr/bin/env bash
# Installs what Tovrin needs, builds it and starts it. Without a display it starts a
# virtual one with a tray host and says how to look at it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
bin=${TOVRIN_BUILD_DIR:-$root/build}/src/tovrin
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin" "$@"
fi
display=:77
Xvfb $display -screen 0 1280x1024x24 -nolisten tcp -dpi 96 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb $tray 2>/dev/null' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xsetroot -solid '#3a6ea5' 2>/dev/null || true
trayer --edge top --align right --widthtype request --height 32 --transparent false >/dev/null 2>&1 &
tray=$!
echo "No display here: Tovrin runs on the virtual display $display."
echo "Look at it with:  DISPLAY=$display import -window root tovrin.png"
echo "Stop it with Ctrl+C (or File > Exit)."
"$bin" "$@"
