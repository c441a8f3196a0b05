#!/usr/bin/env bash
# The installer under Wine, made by cmake/make-setup.cmake around a stand-in for the
# program (stand_in_tovrin.c), so it runs without the cross Qt. Over an older
# version, by keys with "Start Tovrin when I sign in" checked: the older files go;
# the files, the shortcuts (read from the .lnk files), the uninstall entry and the
# start-up value are there; the shortcuts start the program. Again, silently over
# the running copy with /AUTOSTART=0: the copy ends, a key the user changed stays,
# the start-up value goes. The uninstaller leaves only the settings.
#   wine_installer_journey.sh <source dir> <version> <mingw gcc> <wine64> <makensis>
src=$1 version=$2 cc=$3 wine=$4 makensis=$5
name=wine_installer_journey
exe_name=tovrin205.exe
source "$(dirname "$0")/wine_lib.sh"

"$cc" -municode -mwindows -O1 -o "$tmp/stand_in.exe" "$(dirname "$0")/stand_in_tovrin.c" || fail "no stand-in"
make_setup() { # version files...: the stand-in as the program, the rest as its DLLs
  mkdir -p "$tmp/$1/platforms" && cp "$tmp/stand_in.exe" "$tmp/$1/$exe_name"
  printf '%s\n' "$exe_name" "${@:2}" >"$tmp/$1.txt"
  for dll in "${@:2}"; do echo "$1" >"$tmp/$1/$dll"; done
  cmake -DMAKENSIS="$makensis" -DPAYLOAD="$tmp/$1" -DMANIFEST="$tmp/$1.txt" -DOUTFILE="$tmp/setup-$1.exe" \
    -DVERSION="$1" -DTITLE=Tovrin -DCOMPANY=Ardelon -DAPP_ID=com.ardelon.Tovrin -DEXE="$exe_name" \
    -DICON="$src/resources/icons/tovrin.ico" -P "$src/cmake/make-setup.cmake" >"$tmp/make-$1.log" 2>&1 \
    || fail "make-setup.cmake: $(cat "$tmp/make-$1.log")"
}
make_setup 2.0.4 Qt6Core.dll Qt6DBus.dll
make_setup "$version" Qt6Core.dll platforms/qwindows.dll
set_values PlaceInTray=1
setup=$tmp/setup-2.0.4.exe
install_tovrin

# By keys: the check box has the focus; Next, Install, Finish.
"$wine" "$tmp/setup-$version.exe" >"$tmp/setup.log" 2>&1 &
installer=$!
wait_window "Tovrin Setup" 60 || fail "the installer's window did not show"
focus "$WIN"
xdotool key space Return
sleep 1
xdotool key Return
wait_for 60 test -f "$install_dir/platforms/qwindows.dll" || fail "Install did not install"
sleep 2
xdotool key Return
wait "$installer" || fail "the installer ended with $?"

expected=$(printf '%s\n' "$exe_name" Qt6Core.dll platforms/qwindows.dll uninstall.exe | LC_ALL=C sort)
[ "$(cd "$install_dir" && find . -type f | cut -c3- | LC_ALL=C sort)" = "$expected" ] \
  || fail "installed: $(cd "$install_dir" && find . -type f | tr '\n' ' ')"
program=$("$wine" winepath -w "$exe" 2>/dev/null | tr -d '\r')
for row in "Tovrin||none" "Clipboard to UPPERCASE|--upper|Ctrl+Alt+U" \
    "Clipboard to lowercase|--lower|Ctrl+Alt+L" "Clipboard to rAnDOm|--random|Ctrl+Alt+R" \
    "Selection to UPPERCASE|--upper --in-place|Ctrl+Alt+Shift+U" \
    "Selection to lowercase|--lower --in-place|Ctrl+Alt+Shift+L" \
    "Selection to rAnDOm|--random --in-place|Ctrl+Alt+Shift+R"; do
  [ "$(shortcut "${row%%|*}")" = "$program|${row#*|}" ] || fail "${row%%|*}.lnk: $(shortcut "${row%%|*}")"
done
for row in "DisplayName REG_SZ Tovrin" "DisplayVersion REG_SZ $version" "Publisher REG_SZ Ardelon" \
    "UninstallString REG_SZ \"${program%\\*}\\uninstall.exe\"" "DisplayIcon REG_SZ $program,0"; do
  [ "$(query_value "${row%% *}" "$uninstall_key")" = "$row" ] || fail "no '$row' in the uninstall entry"
done
[ "$(query_value Tovrin "$run_key")" = "Tovrin REG_SZ \"$program\"" ] || fail "no start-up value"

start_shortcut Tovrin
starts=$(unix_path '%TEMP%\tovrin-stand-in.log')
wait_for 30 test -s "$starts" || fail "the Tovrin shortcut started nothing"
start_shortcut "Clipboard to UPPERCASE"
started() { [ "$(tr -d '\r' <"$starts")" = "$(printf 'first\nsecond --upper')" ]; }
wait_for 30 started && wait_for 10 one_copy || fail "the shortcuts started: $(tr '\n' ';' <"$starts")"

# The user's key (the HotKey field at 0x40: Y with Ctrl+Alt) survives a reinstall.
printf '\x59\x06' | dd of="$menu_dir/Clipboard to rAnDOm.lnk" bs=1 seek=64 conv=notrunc 2>/dev/null
setup=$tmp/setup-$version.exe
install_tovrin /AUTOSTART=0
wait_for 10 tovrin_gone || fail "the install left the running copy running"
[ "$(shortcut "Clipboard to rAnDOm")" = "$program|--random|Ctrl+Alt+Y" ] || fail "the user's key was replaced"
[ -z "$(query_value Tovrin "$run_key")" ] || fail "/AUTOSTART=0 left the start-up value"
uninstall_leaves_settings_only
echo "[$name] passed"
