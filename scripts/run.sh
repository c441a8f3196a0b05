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
# The X server picks a free display number and reports it on a pipe.
exec 3< <(Xvfb -displayfd 1 -noreset -screen 0 1280x1024x24 -nolisten tcp -dpi 96 2>/dev/null)
xvfb=$!
tray=
trap 'kill $tray $xvfb 2>/dev/null' EXIT
read -r -t 10 number <&3 || { echo "Xvfb did not start" >&2; exit 1; }
display=":$number"
export DISPLAY=$display
xsetroot -solid '#3a6ea5' 2>/dev/null || true
trayer --edge top --align right --widthtype request --height 32 --transparent false >/dev/null 2>&1 &
tray=$!
echo "No display here: Tovrin runs on the virtual display $display."
echo "Look at it with:  DISPLAY=$display import -window root tovrin.png"
echo "Stop it with Ctrl+C (or File > Exit)."
# A private runtime folder and session bus, as a desktop session has them.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d /tmp/tovrin-runtime.XXXXXX)
  export XDG_RUNTIME_DIR
fi
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && command -v dbus-run-session >/dev/null; then
  dbus-run-session -- "$bin" "$@"
else
  "$bin" "$@"
fi
