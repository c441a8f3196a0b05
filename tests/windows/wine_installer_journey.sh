#!/usr/bin/env bash
# The Windows installer under Wine, made by cmake/make-setup.cmake around a stand-in
# for the program (stand_in_tovrin.c), so that it runs without the cross Qt. Over an
# older version, installed by keys with "Start Tovrin when I sign in" checked: the
# older version's files go, the program's files, the Start-menu shortcuts (target,
# arguments and key read from the .lnk files), the uninstall entry and the start-up
# value are there; the shortcuts start the program through the shell. Installed
# again silently over the running copy with /AUTOSTART=0: the copy is asked to end,
# a key changed in a shortcut stays, the start-up value goes. The uninstaller
# leaves only the settings.
#   wine_installer_journey.sh <source dir> <version> <mingw gcc> <wine64> <makensis>
src=$1 version=$2 cc=$3 wine=$4 makensis=$5
name=wine_installer_journey
exe_name=tovrin205.exe
source "$(dirname "$0")/wine_lib.sh"

# A payload as the deploy step leaves it: the program, a DLL, a plugin in a folder.
make_setup() { # version payload-folder extra-file...
  local v=$1 payload=$2; shift 2
  mkdir -p "$payload/platforms"
  cp "$tmp/stand_in.exe" "$payload/$exe_name"
  printf 'not a DLL\n' | tee "$payload/Qt6Core.dll" "$payload/platforms/qwindows.dll" >/dev/null
  printf '%s\n' "$exe_name" Qt6Core.dll platforms/qwindows.dll "$@" >"$payload.txt"
  for extra in "$@"; do printf 'older\n' >"$payload/$extra"; done
  cmake -DMAKENSIS="$makensis" -DPAYLOAD="$payload" -DMANIFEST="$payload.txt" \
    -DOUTFILE="$tmp/Tovrin-$v-setup.exe" -DVERSION="$v" -DTITLE=Tovrin -DCOMPANY=Ardelon \
    -DAPP_ID=com.ardelon.Tovrin -DEXE="$exe_name" -DICON="$src/resources/icons/tovrin.ico" \
    -P "$src/cmake/make-setup.cmake" >"$tmp/make-setup-$v.log" 2>&1 \
    || fail "make-setup.cmake failed: $(cat "$tmp/make-setup-$v.log")"
}
"$cc" -municode -mwindows -O1 -o "$tmp/stand_in.exe" "$(dirname "$0")/stand_in_tovrin.c" \
  || fail "stand_in_tovrin.c did not compile"
make_setup 2.0.4 "$tmp/older" Qt6DBus.dll
make_setup "$version" "$tmp/payload"
starts=$(unix_path "$("$wine" cmd /c echo '%TEMP%' 2>/dev/null | tr -d '\r')\\tovrin-stand-in.log")
set_values PlaceInTray=1

setup=$tmp/Tovrin-2.0.4-setup.exe
install_tovrin
[ -f "$install_dir/Qt6DBus.dll" ] || fail "the older version's own file is not there"

# By keys: the start-up page's check box has the focus; Next, Install, Finish.
"$wine" "$tmp/Tovrin-$version-setup.exe" >"$tmp/setup.log" 2>&1 &
installer=$!
pids+=($installer)
wait_window "Tovrin Setup" 60 || fail "the installer's window did not show"
focus "$WIN"
screenshot start-up-page
xdotool key space
sleep 0.5
xdotool key Return
sleep 1
xdotool key Return
wait_for 60 test -f "$install_dir/uninstall.exe" -a ! -e "$install_dir/Qt6DBus.dll" \
  || fail "the install by keys did not replace the older version's files"
sleep 2
screenshot finish-page
xdotool key Return
wait_for 30 sh -c "! kill -0 $installer" || fail "Finish did not end the installer"
wait "$installer" || fail "the installer ended with $?"

# Exactly the payload's files and the uninstaller.
expected=$( (cat "$tmp/payload.txt"; echo uninstall.exe) | LC_ALL=C sort)
got=$(cd "$install_dir" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$got" = "$expected" ] || fail "installed files differ: $(diff <(echo "$expected") <(echo "$got") | tr '\n' ' ')"
cmp -s "$exe" "$tmp/stand_in.exe" || fail "$exe is not the program"

winexe=$("$wine" winepath -w "$exe" 2>/dev/null | tr -d '\r')
while IFS='|' read -r shortcut arguments key; do
  for field in "target=$winexe" "arguments=$arguments" "hotkey=$key"; do
    got=$(shortcut_field "$shortcut" "${field%%=*}")
    [ "$got" = "${field#*=}" ] || fail "'$shortcut': ${field%%=*} is '$got', expected '${field#*=}'"
  done
done <<'EOF'
Tovrin||none
Clipboard to UPPERCASE|--upper|Ctrl+Alt+U
Clipboard to lowercase|--lower|Ctrl+Alt+L
Clipboard to rAnDOm|--random|Ctrl+Alt+R
EOF

for expected in "DisplayName REG_SZ Tovrin" "DisplayVersion REG_SZ $version" "Publisher REG_SZ Ardelon" \
    "UninstallString REG_SZ \"${winexe%\\*}\\uninstall.exe\"" "DisplayIcon REG_SZ $winexe,0"; do
  got=$(query_value "${expected%% *}" "$uninstall_key")
  [ "$got" = "$expected" ] || fail "uninstall entry: '$got', expected '$expected'"
done
[ "$(query_value Tovrin "$run_key")" = "Tovrin REG_SZ \"$winexe\"" ] \
  || fail "the checked box left the start-up value '$(query_value Tovrin "$run_key")'"

# Started from the Start menu; a conversion's shortcut meets the running copy.
start_shortcut Tovrin
wait_for 30 test -s "$starts" || fail "the Tovrin shortcut started nothing"
start_shortcut "Clipboard to UPPERCASE"
started() { [ "$(tr -d '\r' <"$starts")" = "$(printf 'first\nsecond --upper')" ]; }
wait_for 30 started || fail "the shortcuts started: $(tr '\n' ';' <"$starts")"
wait_for 10 one_copy || fail "$(tovrin_pids | wc -l) copies run after the UPPERCASE shortcut"

# A key the user chose in the shortcut's Properties (the HotKey field: Ctrl+Alt+Y).
printf '\x59\x06' | dd of="$menu_dir/Clipboard to rAnDOm.lnk" bs=1 seek=64 conv=notrunc 2>/dev/null
setup=$tmp/Tovrin-$version-setup.exe
install_tovrin /AUTOSTART=0
wait_for 10 tovrin_gone || fail "the install left the running copy running"
[ "$(shortcut_field "Clipboard to rAnDOm" hotkey)" = Ctrl+Alt+Y ] \
  || fail "the install replaced the user's key: $(shortcut_field "Clipboard to rAnDOm" hotkey)"
[ -z "$(query_value Tovrin "$run_key")" ] || fail "/AUTOSTART=0 left the start-up value"

uninstall_leaves_settings_only
[ "$(query_value PlaceInTray)" = "PlaceInTray REG_SZ 1" ] || fail "the settings changed: $(query_value PlaceInTray)"
echo "[$name] passed"
