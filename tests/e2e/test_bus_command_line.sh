#!/usr/bin/env bash
# The command line and the desktop entry's actions on a session bus: `tovrin --upper`
# with no copy running starts one as usual and converts; with a copy running it hands
# the request over and ends with status 0; a plain second start shows the running
# copy's main window; each [Desktop Action] Exec line converts.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/bus_lib.sh"
source "$(dirname "$0")/trayconv_lib.sh"

# Runs tovrin in the foreground; leaves its status, time in ms and stderr.
run_tovrin() { # args...
  local t0=$(date +%s%N)
  timeout 20 "$TOVRIN_BIN" "$@" >"$E2E_TMP/run.out" 2>"$E2E_TMP/run.err" && RUN_STATUS=0 || RUN_STATUS=$?
  RUN_MS=$(( ($(date +%s%N) - t0) / 1000000 ))
}

# The bus may start the program itself, as the package's service file tells it.
mkdir -p "$E2E_TMP/services"
sed "s|^Exec=[^ ]*|Exec=$TOVRIN_BIN|" "$TOVRIN_BUILD_DIR/packaging/$BUS_NAME.service" \
  >"$E2E_TMP/services/$BUS_NAME.service" || e2e_fail "no service file in the build"
e2e_start_session_bus "$E2E_TMP/services"
e2e_start_desktop --tray
gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
  --method org.freedesktop.DBus.UpdateActivationEnvironment "{'DISPLAY': '$DISPLAY'}" >/dev/null
e2e_write_settings 0 1 True
: >"$BELLS"

# None running: this start becomes the running copy, in the tray as the settings say,
# and converts.
e2e_clip_put "first one"
e2e_start_tovrin --upper
e2e_wait 15 tray_icon_position || e2e_fail "the start with --upper did not go to the tray"
e2e_wait 10 sh -c '[ "$(timeout 5 xclip -o -selection clipboard)" = "FIRST ONE" ]' \
  || e2e_fail "--upper with no copy running left '$(e2e_clip_get)'"
e2e_wait 5 bus_owned || e2e_fail "the start with --upper does not own $BUS_NAME"
owner=$(bus_owner)
[ -z "$(e2e_window Tovrin)" ] || e2e_fail "--upper showed the main window"

# Running: hand over and end.
for option in --lower --random --upper; do
  e2e_clip_put "Second Start"
  run_tovrin "$option"
  [ "$RUN_STATUS" = 0 ] || e2e_fail "$option ended with status $RUN_STATUS: $(cat "$E2E_TMP/run.err")"
  [ ! -s "$E2E_TMP/run.err" ] || e2e_fail "$option wrote: $(cat "$E2E_TMP/run.err")"
  [ "$RUN_MS" -lt 3000 ] || e2e_fail "$option took $RUN_MS ms"
  case $option in
    --lower) want="second start" ;;
    --upper) want="SECOND START" ;;
    --random) want="" ;;
  esac
  if [ -n "$want" ]; then
    e2e_wait 10 sh -c "[ \"\$(timeout 5 xclip -o -selection clipboard)\" = '$want' ]" \
      || e2e_fail "$option left '$(e2e_clip_get)'"
  else
    check_random() { /usr/bin/python3 -c 'import sys; a = sys.argv[1]; sys.exit(0 if a != "Second Start" and a.lower() == "second start" else 1)' "$(e2e_clip_get)"; }
    # One chance in 4,096 that rAnDOm gives back the same text; then try once more.
    e2e_wait 10 check_random || { run_tovrin "$option"; e2e_wait 10 check_random; } \
      || e2e_fail "$option left '$(e2e_clip_get)'"
  fi
  e2e_log "$option handed over in $RUN_MS ms"
done
# The hand-over needs no window system: asked before Qt would load one, it ends even
# where none could be loaded.
e2e_clip_put "No Platform"
QT_QPA_PLATFORM=no-such-platform run_tovrin --lower
[ "$RUN_STATUS" = 0 ] || e2e_fail "--lower without a usable platform ended with $RUN_STATUS: $(cat "$E2E_TMP/run.err")"
e2e_wait 10 sh -c '[ "$(timeout 5 xclip -o -selection clipboard)" = "no platform" ]' \
  || e2e_fail "--lower without a usable platform left '$(e2e_clip_get)'"
# Nor does it load the program itself: the command alone, with no program library
# beside it, hands over all the same.
mkdir -p "$E2E_TMP/alone/bin"
cp "$TOVRIN_BIN" "$E2E_TMP/alone/bin/tovrin"
e2e_clip_put "Command Alone"
timeout 20 "$E2E_TMP/alone/bin/tovrin" --upper 2>"$E2E_TMP/run.err" \
  || e2e_fail "the command alone did not hand over: $(cat "$E2E_TMP/run.err")"
e2e_wait 10 sh -c '[ "$(timeout 5 xclip -o -selection clipboard)" = "COMMAND ALONE" ]' \
  || e2e_fail "the command alone left '$(e2e_clip_get)'"
[ "$(bus_owner)" = "$owner" ] || e2e_fail "the name changed hands"
[ "$(tovrin_process_count)" = 1 ] || e2e_fail "$(tovrin_process_count) copies run"
[ -z "$(e2e_window Tovrin)" ] || e2e_fail "a conversion from the command line showed the main window"

# A plain second start shows the running copy's window.
run_tovrin
[ "$RUN_STATUS" = 0 ] || e2e_fail "the second start ended with status $RUN_STATUS"
e2e_wait_window Tovrin 5
tray_icon_count_is 1 || e2e_fail "the tray holds $(tray_icon_count) icons"
e2e_log "second start ended with status 0 after $RUN_MS ms"

# Refused arguments still end with 2 and one line, running copy or not.
run_tovrin --upper --lower
[ "$RUN_STATUS" = 2 ] && [ "$(wc -l <"$E2E_TMP/run.err")" = 1 ] \
  || e2e_fail "two actions gave status $RUN_STATUS: $(cat "$E2E_TMP/run.err")"

# The desktop entry's actions, as a launcher runs them (tovrin found on PATH).
desktop=$(find "$TOVRIN_BUILD_DIR/packaging" -name 'com.ardelon.Tovrin.desktop' | head -n 1)
[ -f "$desktop" ] || e2e_fail "no desktop entry in the build"
mkdir -p "$E2E_TMP/bin"
ln -s "$TOVRIN_BIN" "$E2E_TMP/bin/tovrin"
for action in upper lower random title sentence swap; do
  exec_line=$(awk -v g="[Desktop Action $action]" '$0 == g {on = 1; next} /^\[/ {on = 0} on && /^Exec=/ {sub(/^Exec=/, ""); print}' "$desktop")
  [ -n "$exec_line" ] || e2e_fail "the desktop entry has no action $action"
  e2e_clip_put "desKtop entry"
  # shellcheck disable=SC2086
  PATH="$E2E_TMP/bin:$PATH" timeout 20 $exec_line || e2e_fail "'$exec_line' failed"
  case $action in
    upper) want="DESKTOP ENTRY" ;;
    lower) want="desktop entry" ;;
    random) want="" ;;
    title) want="Desktop Entry" ;;
    sentence) want="Desktop entry" ;;
    swap) want="DESkTOP ENTRY" ;;
  esac
  if [ -n "$want" ]; then
    e2e_wait 10 sh -c "[ \"\$(timeout 5 xclip -o -selection clipboard)\" = '$want' ]" \
      || e2e_fail "the action $action left '$(e2e_clip_get)'"
  else
    e2e_wait 10 sh -c '[ "$(timeout 5 xclip -o -selection clipboard | tr A-Z a-z)" = "desktop entry" ]' \
      || e2e_fail "the action random left '$(e2e_clip_get)'"
  fi
done
e2e_tovrin_running || e2e_fail "the running copy ended"

# A desktop asks the bus, which starts the program when none runs (DBusActivatable);
# it starts as its first request asks, as the same command line would: ActivateAction
# converts with the program in the tray, Activate is a plain start (the tray, as the
# settings say); a later Activate shows the main window.
bus_released() { ! bus_owned; }
kill "$TOVRIN_PID"
for row in "ActivateAction upper []|BUS STARTED" "Activate|Bus Started"; do
  request=${row%%|*} want=${row#*|}
  e2e_wait 10 bus_released || e2e_fail "the name stays owned before '$request'"
  e2e_clip_put "Bus Started"
  # shellcheck disable=SC2086
  answer=$(bus_call $request "{}") || e2e_fail "'$request' started nothing: $answer"
  owner_pid=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetConnectionUnixProcessID "$(bus_owner)" | sed -n 's/^(uint32 \([0-9]*\),)$/\1/p')
  [ -n "$owner_pid" ] || e2e_fail "'$request': nobody owns $BUS_NAME"
  E2E_PIDS+=("$owner_pid")
  e2e_wait 15 tray_icon_position || e2e_fail "'$request' did not start in the tray"
  e2e_wait 10 sh -c "[ \"\$(timeout 5 xclip -o -selection clipboard)\" = '$want' ]" \
    || e2e_fail "'$request' left '$(e2e_clip_get)'"
  [ -z "$(e2e_window Tovrin)" ] || e2e_fail "'$request' showed the main window"
  answer=$(bus_call Activate "{}") || e2e_fail "a later Activate: $answer"
  e2e_wait_window Tovrin 5
  e2e_log "'$request' started the program through the bus"
  kill "$owner_pid"
done
e2e_pass
