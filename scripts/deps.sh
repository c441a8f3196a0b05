#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Tovrin needs.
set -euo pipefail
packages=(
  # build
  cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev libxcb-xfixes0-dev libxcb-xtest0-dev libx11-dev libwayland-dev libdbus-1-dev
  # benchmarks' peers
  libbenchmark-dev libicu-dev
  # a desktop to run and test on
  xvfb xauth x11-utils x11-xserver-utils xdotool xclip trayer imagemagick openbox
  # more tray hosts: a second XEmbed one, and a StatusNotifier panel
  tint2 xfce4-panel
  # a real clipboard manager to end beside
  xfce4-clipman
  # a Wayland desktop: the compositor, its clipboard tools, the bell sound
  sway xwayland wl-clipboard gnome-session-canberra sound-theme-freedesktop
  # typing the paste key on sway; a GTK 3 text field to paste into
  wtype gir1.2-gtk-3.0
  fonts-liberation2 fonts-dejavu-core xdg-utils dbus dbus-daemon libglib2.0-bin python3 python3-dbus python3-gi python3-pil
  python3-xlib
  # the desktop fonts the layouts are checked under; reading the accessibility tree
  fonts-noto-core fonts-cantarell at-spi2-core python3-pyatspi gir1.2-atspi-2.0
  # install and package checks; redrawing the desktop icons
  desktop-file-utils appstream dpkg-dev file lintian man-db python3-fonttools librsvg2-bin
  # registry conformance under Wine; the settings file fuzzer
  g++-mingw-w64-x86-64 wine64 clang libclang-rt-14-dev
  # the Windows installer
  nsis
)
# The desktops the desktop journey runs on, without what they merely recommend (Plasma
# alone would bring some 700 packages): LXQt's panel, Plasma with KWin, GNOME Shell with
# the AppIndicator extension, waybar, weston.
desktops=(
  lxqt-panel plasma-desktop kwin-x11 gnome-shell gnome-shell-extension-appindicator waybar weston
)
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
not_installed() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}
mapfile -t missing < <(not_installed "${packages[@]}")
mapfile -t missing_desktops < <(not_installed "${desktops[@]}")
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ] || [ ${#missing_desktops[@]} -gt 0 ]; then
  $SUDO apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get install -y -qq "${missing[@]}"
fi
if [ ${#missing_desktops[@]} -gt 0 ]; then
  $SUDO apt-get install -y -qq --no-install-recommends "${missing_desktops[@]}"
fi
