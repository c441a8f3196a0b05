#!/usr/bin/env bash
# The install and the Debian package as a user gets them: the right files in the
# right places, desktop entry and metainfo valid, and a binary that runs.
set -euo pipefail
build=${1:?usage: check_package.sh BUILD_DIR [SOURCE_DIR]}
source_dir=${2:-$(cd "$(dirname "$0")/../.." && pwd)}
app_id=com.ardelon.Tovrin
version="2.0.5"
description="Change the case of text"

tmp=$(mktemp -d /tmp/tovrin-package.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

# The program's private library, beside the `tovrin` command that loads it.
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")
program_lib=$libdir/tovrin/tovrin-program.so
# The bus starts the program by the absolute path it will be installed at.
installed_prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")

expected_files() { # prefix
  cat <<LIST | sort
$1/bin/tovrin
$1/$program_lib
$1/share/dbus-1/services/$app_id.service
$1/share/applications/$app_id.desktop
$1/share/doc/tovrin/changelog.gz
$1/share/doc/tovrin/copyright
$1/share/icons/hicolor/16x16/apps/$app_id.png
$1/share/icons/hicolor/32x32/apps/$app_id.png
$1/share/icons/hicolor/48x48/apps/$app_id.png
$1/share/icons/hicolor/scalable/apps/$app_id.svg
$1/share/man/man1/tovrin.1.gz
$1/share/metainfo/$app_id.metainfo.xml
LIST
}

# Everything the desktop reads from an installed tree under `root`, files under `prefix`.
check_tree() { # label root prefix
  local label=$1 root=$2 prefix=$3 dir=$2$3
  local got
  got=$(cd "$root" && find . -type f | sed 's|^\.||' | sort)
  if [ "$got" = "$(expected_files "$prefix")" ]; then ok "$label: file list"
  else fail "$label: file list differs:"; diff <(expected_files "$prefix") <(echo "$got") >&2 || true; fi

  local desktop=$dir/share/applications/$app_id.desktop
  local metainfo=$dir/share/metainfo/$app_id.metainfo.xml
  if desktop-file-validate "$desktop"; then ok "$label: desktop-file-validate"
  else fail "$label: desktop-file-validate"; fi
  if appstreamcli validate --no-net --strict "$metainfo"; then ok "$label: appstreamcli validate"
  else fail "$label: appstreamcli validate"; fi

  grep -qx "Comment=$description" "$desktop" || fail "$label: desktop entry lacks the description"
  grep -qx "X-AppVersion=$version" "$desktop" || fail "$label: desktop entry lacks version $version"
  grep -qx "Icon=$app_id" "$desktop" || fail "$label: desktop entry's icon is not $app_id"
  grep -qx "Exec=tovrin" "$desktop" || fail "$label: desktop entry does not start tovrin"
  grep -qx "DBusActivatable=true" "$desktop" || fail "$label: desktop entry is not started through the bus"
  local service=$dir/share/dbus-1/services/$app_id.service
  grep -qx "Name=$app_id" "$service" || fail "$label: the bus's service file names another service"
  grep -qx "Exec=$installed_prefix/bin/tovrin --dbus-service" "$service" || fail "$label: the bus's service file starts $(grep ^Exec= "$service")"
  # The launcher's actions: each a conversion handed to the running copy.
  grep -qx "Actions=upper;lower;random;title;sentence;swap;" "$desktop" || fail "$label: desktop entry lists other actions"
  local action
  for action in upper lower random title sentence swap; do
    awk -v g="[Desktop Action $action]" '$0 == g {on = 1; next} /^\[/ {on = 0} on' "$desktop" \
      | grep -qx "Exec=tovrin --$action" || fail "$label: the action $action does not run 'tovrin --$action'"
  done
  grep -q "<summary>$description</summary>" "$metainfo" || fail "$label: metainfo lacks the description"
  grep -q "<binary>tovrin</binary>" "$metainfo" || fail "$label: metainfo does not provide the binary"

  # The manual page: renders without a warning, names every option and the settings file.
  local man=$dir/share/man/man1/tovrin.1.gz page
  page=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$man" 2>"$tmp/man.err") \
    || fail "$label: man cannot render tovrin.1"
  [ ! -s "$tmp/man.err" ] || fail "$label: man warns: $(cat "$tmp/man.err")"
  local word
  for word in --upper --lower --random --help --version Tovrin.reg XDG_CONFIG_HOME com.ardelon.Tovrin; do
    grep -q -- "$word" <<<"$page" || fail "$label: the manual page does not mention $word"
  done
  [ "$(gzip -dc "$dir/share/doc/tovrin/changelog.gz" | head -n 1 | cut -d' ' -f1-2)" = "tovrin ($version)" ] \
    || fail "$label: the changelog does not start with version $version"
  grep -q "<release version=\"$version\"" "$metainfo" || fail "$label: metainfo lacks release $version"
  grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" \
    || fail "$label: metainfo does not launch the desktop entry"

  local size
  for size in 16 32 48; do
    file -b "$dir/share/icons/hicolor/${size}x$size/apps/$app_id.png" | grep -q "PNG image data, $size x $size," \
      || fail "$label: the ${size}x$size icon is not a $size-pixel PNG"
  done
  grep -q '<svg' "$dir/share/icons/hicolor/scalable/apps/$app_id.svg" || fail "$label: the scalable icon is no SVG"

  # The program names itself to the desktop with the same id.
  grep -qa "$app_id" "$dir/bin/tovrin" || fail "$label: the binary does not carry the id $app_id"
  check_binary "$label" "$dir/bin/tovrin"
  # Qt Network (and its libraries) only ever served the old one-copy socket.
  if objdump -p "$dir/$program_lib" | grep -q 'NEEDED.*libQt6Network'; then fail "$label: the program links Qt Network"
  else ok "$label: no Qt Network"; fi
  # A hand-over to the running copy loads no Qt at all.
  if objdump -p "$dir/bin/tovrin" | grep -q 'NEEDED.*libQt6'; then fail "$label: the tovrin command links Qt"
  else ok "$label: the tovrin command links no Qt"; fi
}

# The command line of an installed binary, with no display at all.
check_binary() { # label binary
  local label=$1 bin=$2 out err status
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$bin" --version 2>"$tmp/err") && status=0 || status=$?
  [ "$status" = 0 ] && [ "$out" = "Tovrin $version" ] && [ ! -s "$tmp/err" ] \
    && ok "$label: --version prints '$out'" || fail "$label: --version gave '$out', status $status"
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$bin" --help 2>/dev/null) && status=0 || status=$?
  [ "$status" = 0 ] && [[ "$out" == "Usage: tovrin "* ]] || fail "$label: --help gave status $status: $out"
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$bin" --frobnicate 2>"$tmp/err") && status=0 || status=$?
  err=$(cat "$tmp/err")
  [ "$status" = 2 ] && [ -z "$out" ] && [ "$(wc -l <"$tmp/err")" = 1 ] && [[ "$err" == *"--frobnicate"* ]] \
    && ok "$label: an unknown argument is refused" \
    || fail "$label: unknown argument gave status $status, stdout '$out', stderr '$err'"
}

# 0. The desktop icons are the program icon's own images where it has that size
#    (packaging/icons/make-icons.py redraws them when the program icon changes).
ico=$source_dir/resources/icons/tovrin.ico
for size in 16 32 48; do
  entry=$(identify -format '%p %w %k\n' "$ico" | awk -v s="$size" '$2 == s && $3 > best {best = $3; idx = $1} END {print idx}')
  [ -n "$entry" ] || continue
  diff_pixels=$(compare -metric AE "$ico[$entry]" "$source_dir/packaging/icons/tovrin-$size.png" null: 2>&1 || true)
  [ "$diff_pixels" = 0 ] && ok "the ${size}-pixel icon is the program icon's" \
    || fail "packaging/icons/tovrin-$size.png differs from tovrin.ico in $diff_pixels pixels: run packaging/icons/make-icons.py"
done

# 1. cmake --install into a scratch prefix.
cmake --install "$build" --prefix "$tmp/prefix" >"$tmp/install.log"
check_tree "install" "$tmp/prefix" ""
if appstreamcli validate-tree --no-net "$tmp/prefix" >"$tmp/tree.log" 2>&1; then ok "install: appstreamcli validate-tree"
else cat "$tmp/tree.log" >&2; fail "install: appstreamcli validate-tree"; fi

# 2. The Debian package, unpacked into a scratch root.
cpack -G DEB -B "$tmp/pkg" --config "$build/CPackConfig.cmake" >"$tmp/cpack.log" 2>&1 \
  || { cat "$tmp/cpack.log" >&2; fail "cpack -G DEB"; exit 1; }
deb=$(find "$tmp/pkg" -maxdepth 1 -name '*.deb')
[ "$(echo "$deb" | wc -l)" = 1 ] && [ -n "$deb" ] || { fail "cpack made no single .deb"; exit 1; }
ok "cpack made $(basename "$deb")"
[ "$(basename "$deb")" = "tovrin_${version}_$(dpkg --print-architecture).deb" ] || fail "unexpected name $(basename "$deb")"
[ "$(dpkg-deb -f "$deb" Package)" = tovrin ] || fail "package name is not tovrin"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
[[ "$depends" == *libqt6widgets6* ]] || fail "package does not depend on the Qt widgets library: '$depends'"
ok "package depends: $depends"

# The description: the summary once, then the long text indented by one space.
described=$(dpkg-deb -f "$deb" Description)
[ "$(head -n 1 <<<"$described")" = "$description" ] || fail "the package summary is not '$description'"
grep -q "^ $description" <<<"$described" && fail "the package description repeats its summary"
grep -q '^  ' <<<"$described" && fail "the package description is re-indented: $described"

# lintian: no errors and no warnings (informational notes are listed, not failed).
if lintian --fail-on error,warning --display-info "$deb" >"$tmp/lintian.log" 2>&1; then
  ok "lintian: no errors or warnings"
else
  fail "lintian:"; cat "$tmp/lintian.log" >&2
fi
sed 's/^/  lintian: /' "$tmp/lintian.log"

dpkg -x "$deb" "$tmp/root"
check_tree "deb" "$tmp/root" "/usr"
[ "$installed_prefix" = /usr ] || fail "deb: the bus would start $installed_prefix/bin/tovrin, not the package's"
file -b "$tmp/root/usr/bin/tovrin" | grep -q ', stripped' || fail "deb: the binary is not stripped"
listed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sed 's|^\./|/|' | sort)
[ "$listed" = "$(expected_files /usr)" ] || fail "deb: dpkg-deb -c lists other files: $listed"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "install and package: all checks passed"
