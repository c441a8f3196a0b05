#!/usr/bin/env bash
# scripts/build-qt-mingw.sh with apt-get, dpkg-query and sudo replaced by stand-ins
# and a stand-in Qt source tree: which Debian mirror the deb-src line names, that a
# complete cache is left alone, that a folder it did not make is never emptied, and
# that only a complete install is stamped.
#   test_build_qt_script.sh <source dir>
set -euo pipefail
src=$1
script=$src/scripts/build-qt-mingw.sh
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tovrin-qtscript.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")

# The stand-ins log every call; `apt-get source` unpacks $FAKE_TREE.
mkdir -p "$tmp/bin"
cat >"$tmp/bin/apt-get" <<'SH'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_LOG"
if [ "$1" = source ]; then cp -r "$FAKE_TREE" ./qt6-base-6.4.2+dfsg; fi
SH
cat >"$tmp/bin/dpkg-query" <<'SH'
#!/usr/bin/env bash
echo 6.4.2+dfsg-10
SH
cat >"$tmp/bin/sudo" <<'SH'
#!/usr/bin/env bash
exec "$@"
SH
chmod +x "$tmp/bin"/*
export PATH=$tmp/bin:$PATH FAKE_LOG=$tmp/calls.log

# A Qt that "builds" by installing what a complete cache holds, and one that fails.
installed=(bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6Network.dll bin/Qt6DBus.dll
           plugins/platforms/qwindows.dll plugins/imageformats/qico.dll
           lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake)
mkdir -p "$tmp/good/tree" "$tmp/broken"
for f in "${installed[@]}"; do mkdir -p "$(dirname "$tmp/good/tree/$f")"; echo "$f" >"$tmp/good/tree/$f"; done
cat >"$tmp/good/CMakeLists.txt" <<'CM'
cmake_minimum_required(VERSION 3.25)
project(fakeqt NONE)
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/tree/ DESTINATION .)
CM
cat >"$tmp/broken/CMakeLists.txt" <<'CM'
cmake_minimum_required(VERSION 3.25)
project(fakeqt NONE)
message(FATAL_ERROR "this Qt does not configure")
CM

# Runs the script on one apt settings folder; output in $tmp/out.txt.
run() { # apt_etc prefix tree
  : >"$FAKE_LOG"
  TOVRIN_APT_ETC=$1 TOVRIN_QT_MINGW_PREFIX=$2 FAKE_TREE=$3 "$script" >"$tmp/out.txt" 2>&1
}
apt_dir() { # name: an apt settings folder with an empty sources.list.d
  mkdir -p "$tmp/apt-$1/sources.list.d"
  echo "$tmp/apt-$1"
}

# --- Which mirror the deb-src line names: name | files | expected URI ---------------
deb822_security_first="Types: deb
URIs: http://security.example/debian-security
Suites: $codename-security
Components: main

Types: deb
URIs: http://mirror.example/debian http://other.example/debian
Suites: $codename $codename-updates
Components: main contrib"
deb822_both_types="Types: deb-src deb
URIs: http://both.example/debian
Suites: $codename
Components: non-free main"
deb822_source_only_first="Types: deb-src
URIs: http://sources-only.example/debian
Suites: $codename
Components: main

Types: deb
URIs: http://binaries.example/debian
Suites: $codename
Components: main"
list_with_options="# deb http://commented.example/debian $codename main
deb [arch=amd64 signed-by=/usr/share/keyrings/x.gpg] http://list.example/debian $codename main
deb http://list-later.example/debian $codename main"
list_other_suite="deb http://old.example/debian oldstable main
deb http://backports.example/debian $codename-backports main"

check_mirror() { # case file-name content expected-uri
  local dir
  dir=$(apt_dir "$1")
  printf '%s\n' "$3" >"$dir/$2"
  run "$dir" "$tmp/prefix-$1" "$tmp/good" || fail "$1: the script failed: $(cat "$tmp/out.txt")"
  grep -qx "URIs: $4" "$dir/sources.list.d/tovrin-deb-src.sources" \
    || fail "$1: expected URIs: $4, got: $(cat "$dir/sources.list.d/tovrin-deb-src.sources")"
  grep -qx "Types: deb-src" "$dir/sources.list.d/tovrin-deb-src.sources" || fail "$1: not a deb-src entry"
  grep -qx "Suites: $codename" "$dir/sources.list.d/tovrin-deb-src.sources" || fail "$1: wrong suite"
}
check_mirror deb822-security-first sources.list.d/debian.sources "$deb822_security_first" http://mirror.example/debian
check_mirror deb822-both-types sources.list.d/debian.sources "$deb822_both_types" http://both.example/debian
check_mirror deb822-source-only-first sources.list.d/debian.sources "$deb822_source_only_first" \
  http://binaries.example/debian
check_mirror list-with-options sources.list "$list_with_options" http://list.example/debian

dir=$(apt_dir no-match)
printf '%s\n' "$list_other_suite" >"$dir/sources.list"
run "$dir" "$tmp/prefix-no-match" "$tmp/good" && fail "no-match: a mirror was made up"
grep -q "no Debian '$codename main' entry" "$tmp/out.txt" || fail "no-match: $(cat "$tmp/out.txt")"
[ ! -e "$dir/sources.list.d/tovrin-deb-src.sources" ] || fail "no-match: a deb-src line was written"
[ ! -s "$FAKE_LOG" ] || fail "no-match: apt-get ran: $(cat "$FAKE_LOG")"

# --- The stamp ----------------------------------------------------------------------
apt=$(apt_dir stamp)
printf '%s\n' "$deb822_both_types" >"$apt/sources.list.d/debian.sources"

# The complete build from check_mirror: stamped, its work folder gone, nothing else.
prefix=$tmp/prefix-deb822-both-types
[ -f "$prefix/.tovrin-qt-complete" ] || fail "a complete build was not stamped"
[ ! -e "$prefix/.tovrin-qt-partial" ] || fail "a complete build kept its partial mark"
[ ! -e "$prefix.work" ] || fail "the work folder stayed"
for f in "${installed[@]}"; do [ -f "$prefix/$f" ] || fail "$f was not installed"; done

# A stamped cache is left as it is, without asking apt anything.
echo mine >"$prefix/bin/extra.txt"
run "$apt" "$prefix" "$tmp/broken" || fail "a stamped cache was rebuilt: $(cat "$tmp/out.txt")"
[ ! -s "$FAKE_LOG" ] || fail "apt-get ran for a stamped cache: $(cat "$FAKE_LOG")"
[ -f "$prefix/bin/extra.txt" ] || fail "a stamped cache was changed"

# A failed build leaves no stamp, and the next run starts from an empty prefix.
prefix=$tmp/prefix-fails
run "$apt" "$prefix" "$tmp/broken" && fail "a Qt that does not configure was reported built"
[ ! -e "$prefix/.tovrin-qt-complete" ] || fail "a failed build was stamped"
[ -f "$prefix/.tovrin-qt-partial" ] || fail "a failed build was not marked partial"
echo stale >"$prefix/stale.txt"
rm -rf "$prefix.work"
run "$apt" "$prefix" "$tmp/good" || fail "the second build failed: $(cat "$tmp/out.txt")"
[ -f "$prefix/.tovrin-qt-complete" ] || fail "the second build was not stamped"
[ ! -e "$prefix/stale.txt" ] || fail "a failed build's leftovers stayed in the cache"

# A stamp is only written for a complete install.
prefix=$tmp/prefix-incomplete
cp -r "$tmp/good" "$tmp/incomplete"
rm "$tmp/incomplete/tree/plugins/imageformats/qico.dll"
run "$apt" "$prefix" "$tmp/incomplete" && fail "an install without qico.dll was reported complete"
grep -q "missing plugins/imageformats/qico.dll" "$tmp/out.txt" || fail "incomplete: $(cat "$tmp/out.txt")"
[ ! -e "$prefix/.tovrin-qt-complete" ] || fail "an incomplete install was stamped"

# A folder the script did not make is never emptied, and nothing is installed first.
prefix=$tmp/users-folder
mkdir -p "$prefix"
echo precious >"$prefix/notes.txt"
run "$apt" "$prefix" "$tmp/good" && fail "a foreign folder was used"
[ "$(cat "$prefix/notes.txt")" = precious ] || fail "a foreign folder was changed"
[ "$(ls -A "$prefix")" = notes.txt ] || fail "files appeared in a foreign folder: $(ls -A "$prefix")"
[ ! -s "$FAKE_LOG" ] || fail "apt-get ran before the folder was checked: $(cat "$FAKE_LOG")"

echo "build-qt-mingw.sh: all cases passed"
