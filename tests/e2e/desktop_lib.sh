# The desktops the desktop journey runs on, each started from its own Debian
# packages: one desk_start_ROW function a row, and the few things that differ between
# desktops (where the screen is, how a click is made, the panel's activation gesture).
# Source after lib.sh.

# Defaults: an X11 desktop whose screen is the program's own display.
DESK_SCREEN=        # the X display that shows everything (empty: a Wayland-only screen)
DESK_ACTIVATE=click # the panel's gesture for "open": click (StatusNotifier) or double (XEmbed)
DESK_TRAY=1         # 0: the desktop has no notification area
DESK_AS=()          # runs a command as the session's user
DESK_CLIP=x11       # x11 (xclip) or wayland (wl-clipboard)

desk_installed() { # row
  local cmd
  for cmd in $(desk_needs_"${1//-/_}"); do
    case $cmd in
      /*) [ -e "$cmd" ] || return 1 ;;
      *) command -v "$cmd" >/dev/null || return 1 ;;
    esac
  done
}

desk_as() { "${DESK_AS[@]}" "$@"; }

# The whole screen, also where the program's display is not all of it.
e2e_screenshot() { desk_shot "$TOVRIN_ARTIFACTS/$E2E_NAME-$1.png" 2>/dev/null || true; }

desk_shot() { # file
  if [ -n "$DESK_SCREEN" ]; then
    DISPLAY=$DESK_SCREEN import -silent -window root "$1"
  else
    desk_as grim "$1"
  fi
}

desk_click() { # x y button [count]
  local count=${4:-1}
  if [ -n "$DESK_SCREEN" ]; then
    DISPLAY=$DESK_SCREEN xdotool mousemove "$1" "$2" sleep 0.2 click --repeat "$count" --delay 80 "$3"
  else
    swaymsg -q seat - cursor set "$1" "$2"
    sleep 0.2
    for (( ; count > 0; count-- )); do
      swaymsg -q seat - cursor press "button$3"
      swaymsg -q seat - cursor release "button$3"
      sleep 0.08
    done
  fi
}

desk_hover() { # x y
  if [ -n "$DESK_SCREEN" ]; then
    DISPLAY=$DESK_SCREEN xdotool mousemove "$1" "$2"
  else
    swaymsg -q seat - cursor set "$1" "$2"
  fi
}

# "x0 y0 x1 y1": the largest patch in which two screenshots differ, apart from the box
# left out; fails when they are the same.
desk_changed_box() { # before after [x0 y0 x1 y1 left out]
  local mask=()
  [ $# -eq 6 ] && mask=(-compose over -fill black -draw "rectangle $3,$4 $5,$6")
  convert "$1" "$2" -compose difference -composite -separate -evaluate-sequence max "${mask[@]}" \
      -threshold 8% -define connected-components:verbose=true -connected-components 8 null: 2>/dev/null |
    awk -F'[ x+:]+' '/\(255/ && $3 * $4 > best { best = $3 * $4; box = $5 " " $6 " " $5 + $3 " " $6 + $4 }
      END { if (!best) exit 1; print box }'
}

# The main window (651 px wide), also inside a window manager's frame.
desk_main_window_shown() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$TOVRIN_PID" 2>/dev/null); do
    xwininfo -id "$w" 2>/dev/null | grep -q 'Width: 651' && return 0
  done
  return 1
}

desk_clip_put() {
  if [ "$DESK_CLIP" = wayland ]; then printf '%s' "$1" | desk_as wl-copy; else e2e_clip_put "$1"; fi
}
desk_clip_get() {
  if [ "$DESK_CLIP" = wayland ]; then timeout 10 "${DESK_AS[@]}" wl-paste -n 2>/dev/null; else e2e_clip_get; fi
}
desk_clip_is() { [ "$(desk_clip_get)" = "$1" ]; }

# A session user for the compositors that refuse to run as root.
desk_session_user() {
  local home=$E2E_TMP/session
  if [ "$(id -u)" -eq 0 ]; then
    id tovrin-e2e >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin tovrin-e2e
    DESK_AS=(setpriv --reuid=tovrin-e2e --regid=tovrin-e2e --init-groups --)
  fi
  chmod 711 "$E2E_TMP"
  mkdir -p "$home/run" "$home/config"
  chmod 700 "$home/run"
  export HOME=$home XDG_RUNTIME_DIR=$home/run XDG_CONFIG_HOME=$home/config
}
desk_own_session() { [ ${#DESK_AS[@]} -eq 0 ] || chown -R tovrin-e2e:tovrin-e2e "$E2E_TMP/session"; }

desk_bus_as_user() {
  local address pid
  read -r address pid < <(desk_as dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -s -d ' ')
  [ -n "$pid" ] || e2e_fail "no session bus"
  E2E_PIDS=("$pid" "${E2E_PIDS[@]}")
  export DBUS_SESSION_BUS_ADDRESS=$address
}

desk_spawn() { # log command...
  local log=$1; shift
  desk_as "$@" >"$E2E_TMP/$log" 2>&1 &
  E2E_PIDS+=($!)
}

# --- XEmbed trays ---------------------------------------------------------------

desk_needs_trayer() { echo trayer; }
desk_start_trayer() {
  e2e_start_desktop --tray
  e2e_start_session_bus
  DESK_SCREEN=$DISPLAY DESK_ACTIVATE=double
}

desk_needs_tint2() { echo tint2 openbox; }
desk_start_tint2() {
  e2e_start_desktop
  e2e_start_session_bus
  DESK_SCREEN=$DISPLAY DESK_ACTIVATE=double
  # tint2 waits about 15 s for a window manager before it shows.
  desk_spawn openbox.log openbox --sm-disable
  e2e_wait 10 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || e2e_fail "openbox did not start"
  # Only the tray: a clock would change the picture the icon is found in.
  cat >"$E2E_TMP/tint2rc" <<'RC'
panel_items = S
panel_position = top right horizontal
panel_size = 30% 32
panel_background_id = 0
systray_padding = 4 4 4
systray_icon_size = 24
RC
  desk_spawn panel.log tint2 -c "$E2E_TMP/tint2rc"
  e2e_wait 10 xdotool search --classname tint2 || e2e_fail "tint2 did not start"
}

# --- StatusNotifier panels on X11 ------------------------------------------------

# The panel's watcher is there and a host (the panel) has registered with it.
desk_watcher_up() {
  timeout 5 gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher IsStatusNotifierHostRegistered |
    grep -q true
}

desk_needs_xfce4_panel() { echo xfce4-panel; }
desk_xfce4_panel_config() { # one panel along the top with only the notification area
  mkdir -p "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
  cat >"$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="30"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML
}
desk_start_xfce4_panel() {
  e2e_start_desktop
  e2e_start_session_bus
  DESK_SCREEN=$DISPLAY
  desk_xfce4_panel_config
  desk_spawn panel.log xfce4-panel --disable-wm-check
  e2e_wait 15 desk_watcher_up || e2e_fail "xfce4-panel did not start"
}

desk_needs_lxqt_panel() { echo lxqt-panel; }
desk_start_lxqt_panel() {
  e2e_start_desktop
  e2e_start_session_bus
  DESK_SCREEN=$DISPLAY
  mkdir -p "$XDG_CONFIG_HOME/lxqt"
  cat >"$XDG_CONFIG_HOME/lxqt/panel.conf" <<'CONF'
[General]
__userfile__=true
panels=panel1

[panel1]
plugins=statusnotifier
position=Top
desktop=0
panelSize=32
iconSize=24

[statusnotifier]
type=statusnotifier
CONF
  desk_spawn panel.log lxqt-panel
  e2e_wait 15 desk_watcher_up || e2e_fail "lxqt-panel did not start"
}

desk_needs_plasma() { echo plasmashell kwin_x11 kded5; }
desk_start_plasma() {
  e2e_start_desktop
  e2e_start_session_bus
  DESK_SCREEN=$DISPLAY
  export HOME=$E2E_TMP/home XDG_DATA_HOME=$E2E_TMP/data XDG_CACHE_HOME=$E2E_TMP/cache
  mkdir -p "$HOME"
  # One panel along the top holding only the notification area.
  cat >"$XDG_CONFIG_HOME/plasma-org.kde.plasma.desktop-appletsrc" <<'CONF'
[Containments][1]
formfactor=2
lastScreen=0
location=3
plugin=org.kde.panel

[Containments][1][Applets][2]
plugin=org.kde.plasma.systemtray
CONF
  # No compositing: nothing to draw it with on a virtual screen.
  KWIN_COMPOSE=N desk_spawn kwin.log kwin_x11
  desk_spawn plasma.log plasmashell
  # A session loads the StatusNotifier watcher into kded as it starts.
  e2e_wait 30 gdbus call --session --dest org.kde.kded5 --object-path /kded \
    --method org.kde.kded5.loadModule statusnotifierwatcher || e2e_fail "kded did not start"
  e2e_wait 30 desk_watcher_up || e2e_fail "plasmashell did not start"
  # The desktop and the panel on screen.
  e2e_wait 60 bash -c '[ "$(xdotool search --onlyvisible --classname plasmashell | grep -c .)" -ge 2 ]' ||
    e2e_fail "plasmashell shows no panel"
}
