#!/usr/bin/env bash
# A StatusNotifier host on a private session bus (no XEmbed tray): the icon registers
# with the watcher, its tool tip is the start-up one, the host's activation shows the
# main window, the exported menu is the tray menu, and its "E&xit" ends the program.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"
SNI="$(dirname "$0")/sni_host.py"

e2e_start_desktop
e2e_start_session_bus
log="$E2E_TMP/sni.log"
"$E2E_PY" "$SNI" serve "$log" 2>"$E2E_TMP/sni.err" &
E2E_PIDS+=($!)
e2e_wait 10 grep -q '^ready' "$log" || e2e_fail "the watcher did not start: $(cat "$E2E_TMP/sni.err")"

e2e_write_settings 0 1 False
e2e_start_tovrin
e2e_wait 15 grep -q '^item ' "$log" || e2e_fail "no item registered with the watcher"
read -r _ name path < <(grep '^item ' "$log" | head -n 1)
e2e_log "item $name$path"
sleep 0.5
[ "$(tovrin_window_count)" -eq 0 ] || e2e_fail "a window is visible: $(tovrin_windows)"

tip=$("$E2E_PY" "$SNI" tooltip "$name" "$path") || e2e_fail "no tool tip"
[ "$tip" = "Tovrin 2.0" ] || e2e_fail "tool tip '$tip', expected 'Tovrin 2.0'"

menu=$("$E2E_PY" "$SNI" menu "$name" "$path") || e2e_fail "no exported menu"
want=$(printf '%s\n' "E_xit" "_Cancel" "-" "_Tovrin" "  _Credits..." "  _About..." "  _Options..." \
  "  _Email Ardelon" "-" "Main _Window" "-" "rAnDOm" "_lowercase" "_UPPERCASE")
[ "$menu" = "$want" ] || e2e_fail "exported menu:
$menu
expected:
$want"

"$E2E_PY" "$SNI" activate "$name" "$path" || e2e_fail "Activate failed"
e2e_wait 5 main_window_shown || e2e_fail "the host's activation did not show the main window"

# A host that asks the program for its menu instead gets the same menu, from the program.
"$E2E_PY" "$SNI" contextmenu "$name" "$path" || e2e_fail "ContextMenu failed"
e2e_wait 5 tovrin_popup_open || e2e_fail "no menu when the host asked for one"
e2e_screenshot context-menu
xdotool key Escape
e2e_wait 5 tovrin_popup_closed || e2e_fail "Esc did not close the menu"

"$E2E_PY" "$SNI" click "$name" "$path" "E_xit" || e2e_fail "could not choose Exit"
e2e_wait 5 tovrin_gone || e2e_fail "Exit from the exported menu did not end the program"
e2e_pass
