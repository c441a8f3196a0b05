# The desktops the desktop journey runs on, each started from its own Debian
# packages: one desk_start_ROW function a row, and the few things that differ between
# desktops (where the screen is, how a click is made, the panel's activation gesture).
# Source after lib.sh.

# Defaults: an X11 desktop whose screen is the program's own display.
DESK_SCREEN=        # the X display that shows everything and takes the clicks
DESK_ACTIVATE=click # the panel's gesture for "open": click (StatusNotifier) or double (XEmbed)
DESK_TRAY=1         # 0: the desktop has no notification area
DESK_AS=()          # runs a command as the session's user
DESK_CLIP=x11       # x11 (xclip) or wayland (wl-clipboard)
DESK_CLOCK=         # "x0 y0 x1 y1": a clock on screen, left out when looking for the icon
DESK_ITEM_INSET=14  # from the menu's top (bottom) edge to the middle of its first (last) item

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

desk_shot() { DISPLAY=${DESK_SCREEN:-$DISPLAY} import -silent -window root "$1"; }

desk_click() { # x y button [count]
  DISPLAY=$DESK_SCREEN xdotool mousemove "$1" "$2" sleep 0.2 click --repeat "${4:-1}" --delay 80 "$3"
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

# The main window: the program's window titled Tovrin that is bigger than an icon.
desk_main_window() {
  local w
  for w in $("${DESK_AS[@]}" xdotool search --onlyvisible --pid "$TOVRIN_PID" --name '^Tovrin$' 2>/dev/null); do
    "${DESK_AS[@]}" xwininfo -id "$w" 2>/dev/null | awk '/Width:/ {exit !($2 > 200)}' && { echo "$w"; return; }
  done
}
desk_main_window_shown() { [ -n "$(desk_main_window)" ]; }
desk_main_window_hidden() { [ -z "$(desk_main_window)" ]; }
desk_minimize_main_window() {
  local w
  w=$(desk_main_window)
  [ -n "$w" ] && { timeout 5 "${DESK_AS[@]}" xdotool windowactivate --sync "$w" 2>/dev/null ||
    timeout 5 "${DESK_AS[@]}" xdotool windowfocus --sync "$w"; sleep 0.2; } &&
    "${DESK_AS[@]}" xdotool key alt+m
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

# Starts a desktop component in the background, so that its own process is the one ended.
desk_spawn() { # log command...
  local log=$1; shift
  "${DESK_AS[@]}" "$@" >"$E2E_TMP/$log" 2>&1 &
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
  timeout 5 "${DESK_AS[@]}" gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
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

# --- Wayland desktops ----------------------------------------------------------

# A system bus of the test's own: the compositor asks it about the login session.
desk_system_bus() {
  local address pid
  cat >"$E2E_TMP/system-bus.conf" <<CONF
<busconfig>
  <type>system</type>
  <listen>unix:path=$E2E_TMP/system-bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
CONF
  read -r address pid < <(dbus-daemon --config-file="$E2E_TMP/system-bus.conf" --fork --print-address=1 --print-pid=1 | paste -s -d ' ')
  [ -n "$pid" ] || e2e_fail "no system bus"
  E2E_PIDS=("$pid" "${E2E_PIDS[@]}")
  export DBUS_SYSTEM_BUS_ADDRESS=$address
}

desk_needs_gnome_shell() { echo gnome-shell /usr/share/gnome-shell/extensions/ubuntu-appindicators@ubuntu.com; }
desk_start_gnome_shell() {
  e2e_start_desktop
  # The shell runs nested in a window on this X server, which shows it and takes the
  # clicks. Its AppIndicator icons open the menu on a click and activate on a double click.
  DESK_SCREEN=$DISPLAY DESK_ACTIVATE=double
  e2e_start_session_bus
  desk_system_bus
  export HOME=$E2E_TMP/home XDG_DATA_HOME=$E2E_TMP/data XDG_CACHE_HOME=$E2E_TMP/cache
  mkdir -p "$HOME"
  gsettings set org.gnome.shell enabled-extensions "['ubuntu-appindicators@ubuntu.com']"
  gsettings set org.gnome.shell disable-user-extensions false
  # Its notices (a session without a display manager) would cover the screen the test reads.
  gsettings set org.gnome.desktop.notifications show-banners false
  XDG_SESSION_TYPE=wayland desk_spawn shell.log gnome-shell --nested --wayland
  e2e_wait 60 grep -q "GNOME Shell started" "$E2E_TMP/shell.log" && e2e_wait 30 desk_watcher_up ||
    e2e_fail "GNOME Shell with the AppIndicator extension did not start: $(tail -5 "$E2E_TMP/shell.log")"
  # The programs run in the shell's session: its XWayland, with the key it wrote.
  local display
  display=$(sed -n 's/.*Using public X11 display \(:[0-9]*\),.*/\1/p' "$E2E_TMP/shell.log" | head -n 1)
  [ -n "$display" ] || e2e_fail "GNOME Shell has no XWayland"
  export DISPLAY=$display XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* | head -n 1)
  export WAYLAND_DISPLAY=wayland-0 XDG_SESSION_TYPE=wayland
  unset QT_QPA_PLATFORM
  # Out of the overview it starts in, the clock in the middle of the top bar left out
  # of what the test compares.
  sleep 2
  DISPLAY=$DESK_SCREEN xdotool mousemove 790 590 sleep 0.5 key Escape
  DESK_CLOCK="300 0 500 30" DESK_ITEM_INSET=24
}

desk_needs_waybar() { echo sway waybar wl-copy Xwayland; }
desk_start_waybar() {
  # sway runs in a window on this X server, which shows it and gives it a pointer to
  # click with (a headless sway has no pointer at all).
  e2e_start_desktop
  DESK_SCREEN=$DISPLAY
  # sway refuses to run as root: the whole session belongs to a user of its own.
  desk_session_user
  DESK_CLIP=wayland
  mkdir -p "$XDG_CONFIG_HOME/waybar"
  cat >"$E2E_TMP/session/sway.conf" <<'CONF'
xwayland enable
output * bg #3a6ea5 solid_color
CONF
  cat >"$XDG_CONFIG_HOME/waybar/config" <<'CONF'
{ "layer": "top", "position": "top", "height": 30, "modules-right": ["tray"], "tray": { "icon-size": 22 } }
CONF
  desk_own_session
  WLR_BACKENDS=x11 WLR_X11_OUTPUTS=1 WLR_RENDERER=pixman desk_spawn sway.log sway -c "$E2E_TMP/session/sway.conf"
  e2e_wait 15 bash -c "ls '$XDG_RUNTIME_DIR' | grep -q '^wayland-[0-9]*$'" || e2e_fail "sway did not start: $(tail -5 "$E2E_TMP/sway.log")"
  export WAYLAND_DISPLAY=$(ls "$XDG_RUNTIME_DIR" | grep '^wayland-[0-9]*$' | head -n 1)
  export SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock | head -n 1)
  # XWayland's display, as sway gives it to the programs it starts.
  desk_as swaymsg exec "echo \$DISPLAY >$E2E_TMP/session/display" >/dev/null
  e2e_wait 10 test -s "$E2E_TMP/session/display" || e2e_fail "no XWayland display"
  export DISPLAY=$(cat "$E2E_TMP/session/display") XDG_SESSION_TYPE=wayland
  unset QT_QPA_PLATFORM
  desk_bus_as_user
  desk_spawn waybar.log waybar
  e2e_wait 15 desk_watcher_up || e2e_fail "waybar did not start: $(tail -5 "$E2E_TMP/waybar.log")"
}

desk_needs_weston() { echo weston Xwayland; }
desk_start_weston() {
  # weston has no notification area. It runs in a window on this X server.
  e2e_start_desktop
  e2e_start_session_bus
  DESK_SCREEN=$DISPLAY DESK_TRAY=0
  desk_spawn weston.log weston --backend=x11-backend.so --xwayland --use-pixman --width=1024 --height=768
  e2e_wait 20 grep -q "xserver listening on display" "$E2E_TMP/weston.log" ||
    e2e_fail "weston did not start: $(tail -5 "$E2E_TMP/weston.log")"
  export DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$E2E_TMP/weston.log" | head -n 1)
  export WAYLAND_DISPLAY=$(ls "$XDG_RUNTIME_DIR" | grep '^wayland-[0-9]*$' | head -n 1) XDG_SESSION_TYPE=wayland
  unset QT_QPA_PLATFORM
}

# --- Converting in place on sway ------------------------------------------------

# sway with waybar's tray as the waybar row starts it, Tovrin in the tray (results to
# the clipboard), and the in-place journey's steps done the Wayland way: a GTK editor
# on Wayland, keys typed through the virtual keyboard, the clipboard through wl-clipboard.
desk_needs_inplace_sway() { echo $(desk_needs_waybar) wtype wl-paste swaymsg; }
desk_start_inplace_sway() {
  desk_start_waybar
  e2e_write_settings 0 1 True
  desk_own_session
  desk_spawn tovrin.log "$TOVRIN_BIN"
  TOVRIN_PID=$!
  e2e_wait 15 desk_tovrin_on_bus || e2e_fail "Tovrin did not start: $(tail -5 "$E2E_TMP/tovrin.log")"
  # Desktop commands on the letters the held-key rows type: a key that reached sway
  # with the shortcut's Super or Alt leaves a mark.
  local mod
  for mod in Mod4 Mod1; do
    desk_as swaymsg "bindsym $mod+o exec touch $E2E_TMP/session/bound-$mod" >/dev/null
  done
  desk_inplace_steps_sway
}
desk_tovrin_on_bus() {
  timeout 5 "${DESK_AS[@]}" gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner com.ardelon.Tovrin | grep -q true
}
# Replaces the X11 steps of lib.sh (e2e_open_editor and the rest) for this session.
desk_inplace_steps_sway() {
  e2e_open_editor() { # gtk|qt title text file
    rm -f "$4"
    case "$1" in
      gtk) GDK_BACKEND=wayland "${DESK_AS[@]}" "$E2E_PY" "$(dirname "${BASH_SOURCE[0]}")/gtk_entry.py" "$2" "$3" "$4" \
             >>"$E2E_TMP/editor.log" 2>&1 & ;;
      # Debian's Qt has no Wayland platform without qt6-wayland: through XWayland.
      qt) QT_QPA_PLATFORM=xcb "${DESK_AS[@]}" "${TOVRIN_BUILD_DIR:-$(pwd)/build}/tests/e2e/tovrin_qt_line_edit" \
            "$2" "$3" "$4" >>"$E2E_TMP/editor.log" 2>&1 & ;;
    esac
    E2E_EDITOR_PIDS+=($!)
    E2E_PIDS+=($!)
    e2e_wait 15 desk_sway_has_window "$2" || e2e_fail "no window titled '$2'"
    e2e_wait 10 test -s "$4" || e2e_fail "the $1 editor did not start: $(tail -3 "$E2E_TMP/editor.log")"
    WIN=$2
  }
  # GTK on Wayland claims the primary selection only with the serial of a pointer
  # press: the text is selected with the mouse (three clicks select the whole line).
  e2e_select_all() { # title
    desk_as swaymsg "[title=\"^$1\$\"] focus" >/dev/null
    local x y
    read -r x y < <(desk_as swaymsg -t get_tree | "$E2E_PY" -c '
import json, sys
def find(n):
    if n.get("name") == sys.argv[1] and n.get("pid"):
        r = n["rect"]; print(r["x"] + r["width"] // 2, r["y"] + r["height"] // 2); sys.exit()
    for c in n.get("nodes", []) + n.get("floating_nodes", []): find(c)
find(json.load(sys.stdin))' "$1")
    desk_click "$x" "$y" 1 3
  }
  e2e_primary_get() { timeout 5 "${DESK_AS[@]}" wl-paste --primary -n 2>/dev/null; }
  e2e_clip_put_kind() { # text|picture
    if [ "$1" = picture ]; then
      [ -f "$E2E_TMP/session/picture.png" ] || convert -size 16x8 xc:red "png:$E2E_TMP/session/picture.png"
      desk_as wl-copy -t image/png <"$E2E_TMP/session/picture.png"
    else
      printf 'held before ✓' | desk_as wl-copy
    fi
    sleep 0.2
  }
  e2e_clip_holds_kind() { # text|picture
    if [ "$1" = picture ]; then
      timeout 5 "${DESK_AS[@]}" wl-paste -l | grep -qx image/png &&
        timeout 5 "${DESK_AS[@]}" wl-paste -t image/png | cmp -s - "$E2E_TMP/session/picture.png"
    else
      [ "$(desk_clip_get)" = 'held before ✓' ]
    fi
  }
  e2e_clip_get() { desk_clip_get; }
}
desk_sway_has_window() { desk_as swaymsg -t get_tree | grep -q "\"name\": \"$1\""; }
