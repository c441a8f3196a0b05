# Shared helpers for the end-to-end journeys: a private X server (and optionally an
# XEmbed tray host) per test, the real binary, xdotool to drive it, xclip for the
# clipboard. Source it; call e2e_start_desktop first.
set -u

E2E_NAME=$(basename "${0%.sh}")
E2E_TMP=$(mktemp -d "/tmp/tovrin-e2e-${E2E_NAME}.XXXXXX")
E2E_PIDS=()
TOVRIN_BIN=${TOVRIN_BIN:-$(pwd)/build/src/tovrin}
TOVRIN_ARTIFACTS=${TOVRIN_ARTIFACTS:-$(pwd)/e2e-artifacts}
mkdir -p "$TOVRIN_ARTIFACTS"

export XDG_CONFIG_HOME="$E2E_TMP/config"
export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# No session bus: Qt then talks XEmbed to the tray host, as on a plain X desktop.
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
export LC_ALL=C.UTF-8

# Debian's python3-* modules belong to the system's interpreter, not to whichever
# python3 comes first on PATH.
E2E_PY=/usr/bin/python3
[ -x "$E2E_PY" ] || E2E_PY=python3

# A private session bus for this test alone.
# With SERVICE_DIR, the bus also starts the services described there on demand.
e2e_start_session_bus() { # [service-dir]
  local address pid config=--session
  if [ -n "${1:-}" ]; then
    config=--config-file=$E2E_TMP/session-bus.conf
    cat >"$E2E_TMP/session-bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <include>/usr/share/dbus-1/session.conf</include>
  <servicedir>$1</servicedir>
</busconfig>
CONF
  fi
  read -r address pid < <(dbus-daemon "$config" --fork --print-address=1 --print-pid=1 | paste -s -d ' ')
  [ -n "$address" ] && [ -n "$pid" ] || e2e_fail "dbus-daemon did not start"
  # Goes first in the list, so it outlives everything that talks to it.
  E2E_PIDS=("$pid" "${E2E_PIDS[@]}")
  export DBUS_SESSION_BUS_ADDRESS=$address
}

e2e_cleanup() {
  # Newest first, so the program goes before the tray host and the X server.
  local i
  for (( i=${#E2E_PIDS[@]}-1; i>=0; i-- )); do
    kill "${E2E_PIDS[$i]}" 2>/dev/null
    sleep 0.05
  done
  sleep 0.2
  for (( i=${#E2E_PIDS[@]}-1; i>=0; i-- )); do kill -9 "${E2E_PIDS[$i]}" 2>/dev/null; done
  rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

e2e_log() { echo "[$E2E_NAME] $*"; }

e2e_screenshot() { # name
  import -silent -window root "$TOVRIN_ARTIFACTS/$E2E_NAME-$1.png" 2>/dev/null || true
}

e2e_fail() {
  e2e_screenshot failed
  echo "[$E2E_NAME] FAILED: $*" >&2
  echo "[$E2E_NAME] screenshot: $TOVRIN_ARTIFACTS/$E2E_NAME-failed.png" >&2
  [ -f "$E2E_TMP/tovrin.log" ] && sed 's/^/  tovrin: /' "$E2E_TMP/tovrin.log" >&2
  # Every other log (tray hosts, shells, owners) goes with the screenshot: a failure on
  # CI is read from the artifacts alone.
  local log
  for log in "$E2E_TMP"/*.log; do
    [ -f "$log" ] && cp "$log" "$TOVRIN_ARTIFACTS/$E2E_NAME-$(basename "$log")"
  done
  exit 1
}

e2e_pass() { e2e_log "passed"; exit 0; }

# Polls a command until it succeeds or the seconds run out.
e2e_wait() { # seconds command...
  local deadline=$(( $(date +%s%N) + $1 * 1000000000 )); shift
  until "$@" >/dev/null 2>&1; do
    [ "$(date +%s%N)" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}

e2e_start_desktop() { # [--tray]
  # A random display number away from ones just freed (a server still shutting
  # down can hold its socket after its lock is gone); -displayfd, answered only once
  # the server listens, so the display found is our own; -noreset, or the server
  # starts over when its last client leaves and turns away one connecting then.
  local n attempt pid
  for attempt in 1 2 3 4 5 6; do
    n=$((200 + RANDOM % 700))
    { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; } && continue
    : >"$E2E_TMP/display"
    Xvfb ":$n" -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp -dpi 96 \
      3>"$E2E_TMP/display" >"$E2E_TMP/xvfb.log" 2>&1 &
    pid=$!
    while kill -0 "$pid" 2>/dev/null && [ ! -s "$E2E_TMP/display" ]; do sleep 0.05; done
    if [ -s "$E2E_TMP/display" ]; then
      E2E_PIDS+=($pid)
      break
    fi
  done
  [ -s "$E2E_TMP/display" ] || e2e_fail "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
  export DISPLAY=":$n"
  # A plain grey desktop, so screenshots show windows clearly.
  xsetroot -solid '#3a6ea5' 2>/dev/null || true
  if [ "${1:-}" = "--tray" ]; then
    trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
      --transparent false --tint 0x303030 >"$E2E_TMP/trayer.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait 10 xdotool search --classname panel || e2e_fail "the tray host did not start"
    sleep 0.5
  fi
}

e2e_start_tovrin() { # [args...]
  "$TOVRIN_BIN" "$@" >"$E2E_TMP/tovrin.log" 2>&1 &
  TOVRIN_PID=$!
  E2E_PIDS+=($TOVRIN_PID)
}

# Prints the id of the visible top-level window with this exact title.
e2e_window() { # title
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1
}

# Waits for the window and leaves its id in WIN (not in a subshell, so that a
# failure ends the test).
e2e_wait_window() { # title [seconds]
  local deadline=$(( $(date +%s) + ${2:-10} ))
  WIN=""
  while [ -z "$WIN" ]; do
    WIN=$(e2e_window "$1")
    [ -n "$WIN" ] && break
    [ "$(date +%s)" -ge "$deadline" ] && e2e_fail "no window titled '$1'"
    sleep 0.1
  done
}

# Clicks at a point given in the window's client coordinates (pixels).
e2e_click() { # window x y [button]
  xdotool mousemove --window "$1" "$2" "$3" sleep 0.1 click "${4:-1}"
  sleep 0.2
}

# Types a text. Characters the keyboard map lacks get free keys of their own first: the
# mapping xdotool makes as it types races the program reading the new map, and a key
# read under the old one types nothing.
e2e_type() { # delay text
  local free=($(xmodmap -pke | awk 'NF == 3 {print $2}')) sym i=0
  for sym in $(python3 -c 'import sys; print(" ".join(sorted({"U%04X" % ord(c) for c in sys.argv[1] if ord(c) > 126})))' "$2"); do
    xmodmap -e "keycode ${free[$i]} = $sym $sym"
    i=$((i + 1))
  done
  [ "$i" -eq 0 ] || sleep 0.3
  xdotool type --delay "$1" "$2"
}

e2e_focus() { timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; sleep 0.2; }

e2e_clip_get() { timeout 10 xclip -o -selection clipboard 2>/dev/null; }
e2e_clip_put() { printf '%s' "$1" | timeout 10 xclip -i -selection clipboard; sleep 0.2; }

e2e_tovrin_running() { kill -0 "$TOVRIN_PID" 2>/dev/null; }

# Writes the settings file the way the program stores it.
e2e_write_settings() { # splash tray copy2clip
  mkdir -p "$XDG_CONFIG_HOME/Ardelon"
  cat >"$XDG_CONFIG_HOME/Ardelon/Tovrin.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Ardelon\\Tovrin]
"SplashScreen"="$1"
"PlaceInTray"="$2"
"Copy2Clip"="$3"
REG
}

# A desktop for converting in place: the X server and its tray, a window manager
# (the focused window is the active one), a session bus, Tovrin in the tray with its
# results going to the clipboard.
e2e_start_inplace_desktop() {
  e2e_start_desktop --tray
  openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
  E2E_PIDS+=($!)
  e2e_start_session_bus
  e2e_write_settings 0 1 True
  e2e_start_tovrin
  e2e_wait 15 tray_has_icon || e2e_fail "no icon in the tray"
}

# Editors to convert in place in: a GTK 3 text field (python3-gi) or a Qt line edit
# built with the tests; each writes its text to a file whenever it changes.
E2E_EDITOR_PIDS=()
e2e_open_editor() { # gtk|qt title text file
  rm -f "$4"
  case "$1" in
    gtk) "$E2E_PY" "$(dirname "${BASH_SOURCE[0]}")/gtk_entry.py" "$2" "$3" "$4" >>"$E2E_TMP/editor.log" 2>&1 & ;;
    qt) QT_QPA_PLATFORM=xcb "${TOVRIN_BUILD_DIR:-$(pwd)/build}/tests/e2e/tovrin_qt_line_edit" "$2" "$3" "$4" \
          >>"$E2E_TMP/editor.log" 2>&1 & ;;
  esac
  E2E_EDITOR_PIDS+=($!)
  E2E_PIDS+=($!)
  e2e_wait_window "$2" 15
  e2e_wait 10 test -s "$4" || e2e_fail "the $1 editor did not start: $(tail -3 "$E2E_TMP/editor.log")"
}
e2e_close_editors() {
  [ ${#E2E_EDITOR_PIDS[@]} -gt 0 ] || return 0
  kill "${E2E_EDITOR_PIDS[@]}" 2>/dev/null
  wait "${E2E_EDITOR_PIDS[@]}" 2>/dev/null
  E2E_EDITOR_PIDS=()
}
e2e_file_is() { [ "$(cat "$1" 2>/dev/null)" = "$2" ]; }
# Selects the whole text of the editor window (WIN as e2e_open_editor left it).
e2e_select_all() { # window
  e2e_focus "$1"
  xdotool key --clearmodifiers ctrl+a
}
e2e_primary_get() { timeout 5 xclip -o -selection primary; }

# Puts a text or a small picture on the X11 clipboard, held by xclip.
e2e_clip_put_kind() { # text|picture
  if [ "$1" = picture ]; then
    [ -f "$E2E_TMP/picture.png" ] || convert -size 16x8 xc:red "png:$E2E_TMP/picture.png"
    timeout 10 xclip -selection clipboard -t image/png -i "$E2E_TMP/picture.png"
  else
    printf 'held before ✓' | timeout 10 xclip -selection clipboard -i
  fi
  sleep 0.2
}
# Whether the clipboard holds exactly what e2e_clip_put_kind put there.
e2e_clip_holds_kind() { # text|picture
  if [ "$1" = picture ]; then
    timeout 5 xclip -o -selection clipboard -t TARGETS | grep -qx image/png \
      && timeout 5 xclip -o -selection clipboard -t image/png | cmp -s - "$E2E_TMP/picture.png"
  else
    [ "$(timeout 5 xclip -o -selection clipboard -t UTF8_STRING)" = 'held before ✓' ]
  fi
}
