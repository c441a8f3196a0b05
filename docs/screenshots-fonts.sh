#!/usr/bin/env bash
# The About box and the Credits under each desktop sans-serif of today's desktops
# (DejaVu Sans, Noto Sans, Cantarell, Liberation Sans), made the desktop's default
# through a fontconfig file of their own: the windows must look the same under each.
# Writes docs/screenshots/fonts/{about,credits}-<font>.png.
#
#   docs/screenshots-fonts.sh [BUILD_DIR]      (default: build/, built already)
#
# Needs the packages of scripts/deps.sh (the fonts among them); TOVRIN_TEST_FONT_DIRS
# adds font folders (fonts unpacked without installing them).
set -uo pipefail   # not -e: the e2e helpers test with commands that fail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-${TOVRIN_BUILD_DIR:-$repo/build}}" && pwd)
out=$repo/docs/screenshots/fonts
export TOVRIN_BIN=$build/src/tovrin
export TOVRIN_ARTIFACTS=${TOVRIN_ARTIFACTS:-$build/screenshot-artifacts}
source "$repo/tests/e2e/lib.sh"

e2e_start_desktop
openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
E2E_PIDS+=($!)
e2e_wait 10 xprop -root _NET_SUPPORTING_WM_CHECK || e2e_fail "the window manager did not start"
mkdir -p "$out"

# The window with the frame the window manager gave it.
shot() { # window file
  sleep 0.3
  import -frame -window "$1" "$2"
  e2e_log "saved $2 ($(identify -format '%wx%h' "$2"))"
}

font_config() { # family file
  {
    echo '<?xml version="1.0"?><!DOCTYPE fontconfig SYSTEM "fonts.dtd"><fontconfig>'
    for generic in sans-serif "Sans Serif" sans; do
      echo "<alias binding=\"strong\"><family>$generic</family><prefer><family>$1</family></prefer></alias>"
    done
    IFS=: read -ra dirs <<<"${TOVRIN_TEST_FONT_DIRS:-}"
    for d in "${dirs[@]}"; do [ -n "$d" ] && echo "<dir>$d</dir>"; done
    echo "<cachedir>$E2E_TMP/fontcache</cachedir>"
    echo '<include ignore_missing="no">/etc/fonts/fonts.conf</include></fontconfig>'
  } >"$2"
}

for family in "DejaVu Sans" "Noto Sans" "Cantarell" "Liberation Sans"; do
  slug=$(echo "$family" | tr 'A-Z ' 'a-z-')
  font_config "$family" "$E2E_TMP/$slug.conf"
  export FONTCONFIG_FILE=$E2E_TMP/$slug.conf
  got=$(fc-match -f '%{family[0]}' sans-serif)
  [ "$got" = "$family" ] || e2e_fail "the desktop's sans-serif is $got, not $family"
  e2e_start_tovrin
  e2e_wait_window Tovrin
  main=$WIN
  e2e_focus "$main"
  xdotool key --window "$main" alt+t; sleep 0.4; xdotool key a
  e2e_wait_window About 5
  shot "$WIN" "$out/about-$slug.png"
  e2e_focus "$main"
  xdotool key --window "$main" alt+t; sleep 0.4; xdotool key r
  e2e_wait_window Credits 5
  # The two units' columns side by side.
  sleep 1.6
  shot "$WIN" "$out/credits-$slug.png"
  kill "$TOVRIN_PID"; wait "$TOVRIN_PID" 2>/dev/null
done
e2e_pass
