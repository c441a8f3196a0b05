#!/usr/bin/env bash
# The tray menu opens beside the icon for a tray on the top, bottom and left edge of
# the screen: never over the icon, so no item is under the pointer; a second right
# click, a right double click, or a left click on the icon while the menu is open
# only closes the menu. The program keeps running with only its icon. Also at twice
# the density (QT_SCALE_FACTOR=2), where the tray speaks in device pixels.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"

# No window manager: nothing tells programs what area a panel keeps for itself, as
# on many tiling and bare X desktops, so only the program's own placement keeps the
# menu off the panel.
e2e_start_desktop
e2e_write_settings 0 1 False

# "WxH+X+Y" of Tovrin's open menu.
popup_geometry() {
  local w root
  root=$(xwininfo -root | awk '/Window id:/ {print $4}')
  for w in $(xdotool search --onlyvisible --pid "$TOVRIN_PID" 2>/dev/null); do
    xwininfo -children -id "$w" 2>/dev/null | grep -q "Parent window id: $root" || continue
    xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
    xwininfo -id "$w" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
      /Width:/ {w=$2} /Height:/ {h=$2} END {printf "%d %d %d %d\n", x, y, w, h}'
    return 0
  done
  return 1
}

icon_rect() {
  local icon
  icon=$(tray_icon_windows | head -n 1)
  [ -n "$icon" ] || return 1
  xwininfo -id "$icon" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} END {printf "%d %d %d %d\n", x, y, w, h}'
}

still_only_icon() { # what
  sleep 0.7
  tovrin_popup_closed || e2e_fail "$1: a menu is open"
  e2e_tovrin_running || e2e_fail "$1: the program ended"
  [ "$(tovrin_window_count)" -eq 0 ] || e2e_fail "$1: a window is visible: $(tovrin_windows)"
  tray_icon_count_is 1 || e2e_fail "$1: $(tray_icon_count) icons"
}

for row in "top 1" "bottom 1" "left 1" "top 2" "bottom 2"; do
  read -r edge scale <<<"$row"
  label="$edge x$scale"
  e2e_log "tray on the $edge edge, scale $scale"
  case $edge in
    left) align=center ;;
    *) align=right ;;
  esac
  trayer --edge "$edge" --align "$align" --widthtype request --height 32 --SetDockType true \
    --SetPartialStrut true --transparent false --tint 0x303030 >"$E2E_TMP/trayer-$edge.log" 2>&1 &
  trayer_pid=$!
  E2E_PIDS+=($trayer_pid)
  e2e_wait 10 xdotool search --classname panel || e2e_fail "$label: the tray host did not start"
  QT_SCALE_FACTOR=$scale e2e_start_tovrin
  e2e_wait 15 tray_has_icon || e2e_fail "$label: no icon docked"
  sleep 0.5
  read -r ix iy iw ih < <(icon_rect)
  x=$((ix + iw / 2)); y=$((iy + ih / 2))

  # The menu opens on the press, beside the icon.
  xdotool mousemove "$x" "$y" mousedown 3
  e2e_wait 5 popup_geometry || { xdotool mouseup 3; e2e_fail "$label: no menu on the right press"; }
  xdotool mouseup 3
  sleep 0.3
  read -r mx my mw mh < <(popup_geometry)
  e2e_log "icon ${iw}x${ih}+$ix+$iy, menu ${mw}x${mh}+$mx+$my"
  e2e_screenshot "menu-$edge-x$scale"
  if [ "$x" -ge "$mx" ] && [ "$x" -lt $((mx + mw)) ] && [ "$y" -ge "$my" ] && [ "$y" -lt $((my + mh)) ]; then
    e2e_fail "$label: the menu is under the pointer"
  fi
  case $edge in
    top) [ "$my" -ge $((iy + ih)) ] || e2e_fail "$label: the menu is not below the icon" ;;
    bottom) [ $((my + mh)) -le "$iy" ] || e2e_fail "$label: the menu is not above the icon" ;;
    left) [ "$mx" -ge $((ix + iw)) ] || e2e_fail "$label: the menu is not beside the icon" ;;
  esac

  # A second right click on the icon only closes the menu.
  xdotool mousemove "$x" "$y" click 3
  still_only_icon "$label, second right click"

  # A right double click: the menu opens and closes again.
  xdotool mousemove "$x" "$y" click --repeat 2 --delay 120 3
  still_only_icon "$label, right double click"

  # A left click meant to dismiss the menu.
  xdotool mousemove "$x" "$y" click 3
  e2e_wait 5 tovrin_popup_open || e2e_fail "$label: no menu on the right click"
  sleep 0.3
  xdotool click 1
  still_only_icon "$label, left click on the icon"

  kill "$TOVRIN_PID"; e2e_wait 5 tovrin_gone || e2e_fail "$label: the program did not end on TERM"
  kill "$trayer_pid"; e2e_wait 5 bash -c '! xdotool search --classname panel'
  sleep 0.3
done
e2e_pass
