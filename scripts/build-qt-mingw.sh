#!/usr/bin/env bash
# Builds Qt's base module for 64-bit Windows (mingw-w64) from Debian's own
# qt6-base source package, with Debian's Qt as the host tools, into a cache
# outside the repository. Does nothing once that cache is complete.
#
#   TOVRIN_QT_MINGW_PREFIX  where Qt goes   (default /var/cache/tovrin/qt6-mingw)
#   TOVRIN_QT_MINGW_WORK    source + build  (default <prefix>.work, removed on success)
#   TOVRIN_QT_MINGW_JOBS    parallel jobs   (default 2)
#   TOVRIN_APT_ETC          apt's settings  (default /etc/apt)
#   TOVRIN_QT_MINGW_CONFIGURE_ONLY=1  stop after configuring (a quick check)
# Further arguments go to Qt's configure step (cmake -D...).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=${TOVRIN_QT_MINGW_PREFIX:-/var/cache/tovrin/qt6-mingw}
work=${TOVRIN_QT_MINGW_WORK:-$prefix.work}
jobs=${TOVRIN_QT_MINGW_JOBS:-2}
apt_etc=${TOVRIN_APT_ETC:-/etc/apt}
stamp=$prefix/.tovrin-qt-complete
partial=$prefix/.tovrin-qt-partial
qt_version=6.4.2

if [ -f "$stamp" ]; then
  echo "Qt for mingw-w64 already built in $prefix"
  exit 0
fi
# A half-installed prefix from an earlier failed run is removed before the build;
# a folder that this script did not make is never touched.
if [ -e "$prefix" ] && [ ! -f "$partial" ] && [ -n "$(ls -A "$prefix")" ]; then
  echo "$prefix exists, is not empty and was not made by this script" >&2
  exit 1
fi
started=$(date +%s)

if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive

# Debian's archive for source packages: the mirror and suite that apt already
# uses for binary packages, so the source matches the installed host tools.
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
mirror_of_sources() {
  local f
  for f in "$apt_etc"/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    # deb822 stanzas: the first "deb" stanza that serves <codename> main.
    awk -v suite="$codename" '
      BEGIN { RS=""; FS="\n" }
      {
        types=""; uris=""; suites=""; comps=""
        for (i = 1; i <= NF; i++) {
          if ($i ~ /^Types:/)      types=$i
          if ($i ~ /^URIs:/)       uris=$i
          if ($i ~ /^Suites:/)     suites=$i
          if ($i ~ /^Components:/) comps=$i
        }
        if (types ~ /[ \t]deb([ \t]|$)/ && (" " suites " ") ~ ("[ \t]" suite "[ \t]") && comps ~ /[ \t]main([ \t]|$)/) {
          sub(/^URIs:[ \t]*/, "", uris); split(uris, u, /[ \t]+/); print u[1]; exit
        }
      }' "$f"
  done
  for f in "$apt_etc"/sources.list "$apt_etc"/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk -v suite="$codename" '
      $1 == "deb" {
        i = 2; if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
        if ($(i + 1) == suite) { for (j = i + 2; j <= NF; j++) if ($j == "main") { print $i; exit } }
      }' "$f"
  done
}
mirror=$(mirror_of_sources | head -n1)
if [ -z "$mirror" ]; then
  echo "no Debian '$codename main' entry found in $apt_etc/sources.list(.d)" >&2
  exit 1
fi
src_list=$apt_etc/sources.list.d/tovrin-deb-src.sources
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
want=$(printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\n' "$mirror" "$codename"
       [ -f "$keyring" ] && printf 'Signed-By: %s\n' "$keyring")
if [ ! -f "$src_list" ] || [ "$(cat "$src_list")" != "$want" ]; then
  echo "$want" | $SUDO tee "$src_list" >/dev/null
fi

packages=(dpkg-dev g++-mingw-w64-x86-64-posix cmake ninja-build perl
          qt6-base-dev qt6-base-dev-tools)
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${packages[@]}"

host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
case $host_version in
  "$qt_version"*) ;;
  *) echo "Debian's host Qt is $host_version, not $qt_version" >&2; exit 1 ;;
esac

made_work=
[ -d "$work" ] || made_work=1
mkdir -p "$work"
cd "$work"
src=$(find . -maxdepth 1 -type d -name "qt6-base-$qt_version*" | head -n1)
if [ -z "$src" ]; then
  # The same Debian revision as the host tools; the newest one if that is gone.
  apt-get source -qq "qt6-base=$host_version" || apt-get source -qq qt6-base
  src=$(find . -maxdepth 1 -type d -name "qt6-base-$qt_version*" | head -n1)
fi
[ -n "$src" ] || { echo "apt-get source gave no qt6-base-$qt_version tree" >&2; exit 1; }
src=$work/${src#./}

if [ -f "$partial" ]; then rm -rf "$prefix"; fi
mkdir -p "$prefix"
touch "$partial"
build=$work/build
cmake -S "$src" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DTOVRIN_QT_MINGW_PREFIX="$prefix" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DBUILD_SHARED_LIBS=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DFEATURE_tabletevent=OFF \
  -DFEATURE_opengl=ON \
  -DFEATURE_sql=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
  -DFEATURE_network=ON -DFEATURE_dbus=ON -DFEATURE_testlib=ON \
  -DFEATURE_imageformatplugin=ON -DFEATURE_ico=ON \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
  -DFEATURE_freetype=ON -DFEATURE_system_freetype=OFF \
  -DFEATURE_png=ON -DFEATURE_system_png=OFF -DFEATURE_jpeg=ON -DFEATURE_system_jpeg=OFF \
  "$@"
[ "${TOVRIN_QT_MINGW_CONFIGURE_ONLY:-}" = 1 ] && exit 0

cmake --build "$build" -j"$jobs"
cmake --install "$build"

# Only a complete install is stamped; the stamp says what it was built from.
for f in bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6Network.dll bin/Qt6DBus.dll \
         plugins/platforms/qwindows.dll plugins/imageformats/qico.dll \
         lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake; do
  [ -f "$prefix/$f" ] || { echo "install is missing $f" >&2; exit 1; }
done
printf 'qt6-base %s from %s (host Qt %s), built in %ss\n' \
  "$(basename "$src")" "$mirror" "$host_version" "$(( $(date +%s) - started ))" >"$stamp.tmp"
rm -f "$partial"
mv "$stamp.tmp" "$stamp"
# The sources and the build were only needed to make the cache.
if [ -n "$made_work" ]; then
  rm -rf "$work"
else
  rm -rf "$src" "$build" "$work"/qt6-base_*
fi
echo "Qt for mingw-w64 installed in $prefix ($(du -sh "$prefix" | cut -f1))"
