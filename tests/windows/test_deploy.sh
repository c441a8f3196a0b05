#!/usr/bin/env bash
# cmake/deploy-windows.cmake on small mingw-w64 programs: beside the exe go the
# plugins asked for and every DLL that the exe and those plugins load, followed
# through the DLLs, whatever the case of the names; nothing else.
#   test_deploy.sh <source dir> <mingw gcc> <mingw objdump> <mingw objcopy>
set -euo pipefail
src=$1 cc=$2 objdump=$3 objcopy=$4
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tovrin-deploy.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

# qt/bin: Core.dll uses helper.dll, which sits on disk as HELPER.DLL (Windows
# matches names without case); Unused.dll is linked by nothing. rt/: the runtime.
# The plugin platforms/qfake.dll uses Core.dll and PluginDep.dll.
mkdir -p "$tmp/qt/bin" "$tmp/qt/plugins/platforms" "$tmp/rt" "$tmp/obj"
lib() { # dir name body [libs...]
  local dir=$1 name=$2 body=$3; shift 3
  echo "$body" >"$tmp/obj/$name.c"
  "$cc" -shared -g -o "$dir/$name" "$tmp/obj/$name.c" "$@"
}
lib "$tmp/rt" librt-1.dll '__declspec(dllexport) int rt(void) { return 1; }'
lib "$tmp/qt/bin" helper.dll '__declspec(dllexport) int helper(void) { return 2; }'
lib "$tmp/qt/bin" Core.dll 'int helper(void); int rt(void);
__declspec(dllexport) int core(void) { return helper() + rt(); }' "$tmp/qt/bin/helper.dll" "$tmp/rt/librt-1.dll"
mv "$tmp/qt/bin/helper.dll" "$tmp/qt/bin/HELPER.DLL"
lib "$tmp/qt/bin" Unused.dll '__declspec(dllexport) int unused(void) { return 3; }'
lib "$tmp/qt/bin" PluginDep.dll '__declspec(dllexport) int dep(void) { return 4; }'
lib "$tmp/qt/plugins/platforms" qfake.dll 'int core(void); int dep(void);
__declspec(dllexport) int plugin(void) { return core() + dep(); }' "$tmp/qt/bin/Core.dll" "$tmp/qt/bin/PluginDep.dll"
mkdir -p "$tmp/app"
echo '#include <windows.h>
int core(void);
int main(void) { MessageBeep(0); return core(); }' >"$tmp/obj/app.c"
"$cc" -g -o "$tmp/app/app.exe" "$tmp/obj/app.c" "$tmp/qt/bin/Core.dll" -luser32

deploy() { # dest manifest [extra -D...]
  local dest=$1 manifest=$2; shift 2
  cmake -DEXE="$tmp/app/app.exe" -DDEST="$dest" -DMANIFEST="$manifest" \
        "-DPLUGINS=platforms/qfake" -DQT_PLUGIN_DIR="$tmp/qt/plugins" \
        "-DSEARCH_DIRS=$tmp/qt/bin|$tmp/rt" -DOBJDUMP="$objdump" "$@" \
        -P "$src/cmake/deploy-windows.cmake"
}

deploy "$tmp/app" "$tmp/manifest.txt"
expected='Core.dll
HELPER.DLL
PluginDep.dll
app.exe
librt-1.dll
platforms/qfake.dll'
got=$(cd "$tmp/app" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$got" = "$expected" ] || fail "deployed files differ:
$(diff <(echo "$expected") <(echo "$got"))"
[ "$(LC_ALL=C sort "$tmp/manifest.txt")" = "$expected" ] || fail "the manifest differs from what was deployed:
$(cat "$tmp/manifest.txt")"
grep -qi 'user32\|kernel32' "$tmp/manifest.txt" && fail "a Windows DLL was listed"
cmp -s "$tmp/app/HELPER.DLL" "$tmp/qt/bin/HELPER.DLL" || fail "HELPER.DLL is not the one found"

# A second run over the same folder changes nothing.
before=$(cd "$tmp/app" && find . -type f -exec md5sum {} + | sort)
deploy "$tmp/app" "$tmp/manifest2.txt"
[ "$(cd "$tmp/app" && find . -type f -exec md5sum {} + | sort)" = "$before" ] || fail "a second run changed the folder"

# With STRIP the copies lose their debug information; the originals keep it.
mkdir -p "$tmp/stripped"
cp "$tmp/app/app.exe" "$tmp/stripped/"
cmake -DEXE="$tmp/stripped/app.exe" -DDEST="$tmp/stripped" "-DPLUGINS=platforms/qfake" \
      -DQT_PLUGIN_DIR="$tmp/qt/plugins" "-DSEARCH_DIRS=$tmp/qt/bin|$tmp/rt" -DOBJDUMP="$objdump" \
      -DSTRIP="$objcopy" -P "$src/cmake/deploy-windows.cmake"
for f in Core.dll platforms/qfake.dll; do
  "$objdump" -h "$tmp/stripped/$f" | grep -q '\.debug_info' && fail "$f kept its debug information"
done
"$objdump" -h "$tmp/qt/bin/Core.dll" | grep -q '\.debug_info' || fail "the original Core.dll lost its debug information"

# A plugin that is not there is an error, not a smaller folder.
if deploy "$tmp/missing" "$tmp/m.txt" "-DPLUGINS=platforms/qfake|styles/qnone" >"$tmp/err.txt" 2>&1; then
  fail "a missing plugin was not reported"
fi
grep -q 'styles/qnone' "$tmp/err.txt" || fail "the error does not name the missing plugin: $(cat "$tmp/err.txt")"
echo "deploy-windows: all cases passed"
