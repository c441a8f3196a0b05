# Shared by the tray and splash journeys: Tovrin's icons in the tray host, and its
# top-level windows on screen. Source after lib.sh.

# The window ids of Tovrin's icons docked in the tray host (trayer's window class
# unless TRAY_HOST_CLASS names another host's).
tray_icon_windows() {
  local panel
  panel=$(xdotool search --classname "${TRAY_HOST_CLASS:-panel}" 2>/dev/null | head -n 1)
  [ -n "$panel" ] || return 0
  xwininfo -tree -id "$panel" 2>/dev/null | awk '/"Tovrin"/ {print $1}'
}

tray_icon_count() { tray_icon_windows | grep -c . ; }
tray_has_icon() { [ "$(tray_icon_count)" -ge 1 ]; }
tray_has_no_icon() { [ "$(tray_icon_count)" -eq 0 ]; }
tray_icon_count_is() { [ "$(tray_icon_count)" -eq "$1" ]; }

# "x y" of the middle of the (first) icon, in root coordinates.
tray_icon_position() {
  local icon
  icon=$(tray_icon_windows | head -n 1)
  [ -n "$icon" ] || return 1
  xwininfo -id "$icon" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} END {printf "%d %d\n", x + w / 2, y + h / 2}'
}

# Tovrin's visible top-level windows (not its icon, not pop-ups), one "id WxH+X+Y" a line.
tovrin_windows() {
  local w info root
  root=$(xwininfo -root | awk '/Window id:/ {print $4}')
  for w in $(xdotool search --onlyvisible --pid "$TOVRIN_PID" 2>/dev/null); do
    info=$(xwininfo -children -id "$w" 2>/dev/null) || continue
    echo "$info" | grep -q "Parent window id: $root" || continue
    xwininfo -id "$w" | grep -q 'Override Redirect State: yes' && continue
    xwininfo -id "$w" | awk -v id="$w" '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
      /Width:/ {w=$2} /Height:/ {h=$2} END {printf "%s %dx%d+%d+%d\n", id, w, h, x, y}'
  done
}

tovrin_window_count() { tovrin_windows | grep -c . ; }

# Tovrin's visible pop-up (override-redirect, top-level) windows: its menus. Its docked
# icon is override-redirect too, but lives inside the tray host.
tovrin_popup_open() {
  local w root
  root=$(xwininfo -root | awk '/Window id:/ {print $4}')
  for w in $(xdotool search --onlyvisible --pid "$TOVRIN_PID" 2>/dev/null); do
    xwininfo -children -id "$w" 2>/dev/null | grep -q "Parent window id: $root" || continue
    xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' && return 0
  done
  return 1
}
tovrin_popup_closed() { ! tovrin_popup_open; }

# The main window: the visible top-level titled Tovrin with a menu bar, 651 px wide.
main_window() { tovrin_windows | awk '$2 ~ /^651x/ {print $1; exit}'; }
main_window_shown() { [ -n "$(main_window)" ]; }
main_window_hidden() { [ -z "$(main_window)" ]; }

tovrin_gone() { ! e2e_tovrin_running; }
