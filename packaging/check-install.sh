#!/bin/sh
# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs a build into a folder of its own and checks the tree as a desktop reads it:
# the launcher and the AppStream file pass their validators, the program and the icon
# they name are where they say, and nothing else is installed.
#   check-install.sh BUILD_DIR PREFIX
set -eu
build=$1
prefix=$2
id=io.github.tremallo.Vivrel

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

for tool in desktop-file-validate appstreamcli file man gzip; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs it)"
done

# A test run builds nothing by itself: build what is installed, so that the tree
# checked is the one the sources give.
cmake --build "$build" --target Vivrel vivrel_icons vivrel_docs >/dev/null
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
[ -f "$desktop" ] || fail "no launcher at $desktop"
[ -f "$metainfo" ] || fail "no AppStream file at $metainfo"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" >/dev/null ||
  { appstreamcli validate --no-net "$metainfo"; fail "appstreamcli validate"; }

grep -q "<id>$id</id>" "$metainfo" || fail "the AppStream id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "the AppStream launchable is not $id.desktop"

# Images and folders only: a launcher that claimed folders would open every folder the
# user opens on a desktop whose file manager is not pinned as their default.
mimetypes=$(sed -n 's/^MimeType=//p' "$desktop")
[ "$mimetypes" = "image/jpeg;image/bmp;image/gif;" ] ||
  fail "the launcher claims $mimetypes, not the three picture types alone"

# The program the launcher starts.
program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/bin/$program" ] || fail "Exec names $program, not in $prefix/bin"

# The icon it shows, in every size of the theme and scalable.
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ "$icon" = "$id" ] || fail "Icon= is $icon, not $id"
expected="bin/$program share/applications/$id.desktop share/metainfo/$id.metainfo.xml
  share/man/man1/$program.1.gz share/doc/vivrel/changelog.gz share/doc/vivrel/copyright"
for size in 16 22 24 32 48 64 128 256; do
  png=share/icons/hicolor/${size}x$size/apps/$icon.png
  file -b "$prefix/$png" | grep -q "^PNG image data, $size x $size," ||
    fail "$png is not a $size x $size PNG"
  expected="$expected $png"
done
svg=share/icons/hicolor/scalable/apps/$icon.svg
grep -q "<svg" "$prefix/$svg" 2>/dev/null || fail "$svg is not an SVG picture"
expected="$expected $svg"

# The lowercase command and its page are links to the program and its page.
[ "$(readlink "$prefix/bin/vivrel")" = "$program" ] || fail "bin/vivrel is not a link to $program"
[ "$(readlink "$prefix/share/man/man1/vivrel.1.gz")" = "$program.1.gz" ] ||
  fail "the page vivrel.1.gz is not a link to $program.1.gz"
# The manual page reads without a warning, and names both commands.
page=$prefix/share/man/man1/$program.1.gz
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man --warnings on $page: $warnings"
LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "^ *Vivrel, vivrel - " ||
  fail "the manual page does not name Vivrel and vivrel"
gzip -l "$page" >/dev/null || fail "$page is not compressed with gzip"
# Debian's copyright file, machine-readable, for the licence the AppStream file names.
copyright=$prefix/share/doc/vivrel/copyright
head -n 1 "$copyright" | grep -q "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ||
  fail "$copyright is not in the machine-readable format"
grep -q "<project_license>GPL-3.0-or-later</project_license>" "$metainfo" ||
  fail "the AppStream file does not name the licence GPL-3.0-or-later"
grep -q "^License: GPL-3.0+$" "$copyright" || fail "$copyright does not name GPL-3.0+"

# The network module, in a folder of the program's own among the libraries.
module=$(cd "$prefix" && find . -name vivrel_network.so | sed 's|^\./||')
case "$module" in
  lib*/vivrel/vivrel_network.so) expected="$expected $module" ;;
  *) fail "the network module is not in lib*/vivrel/ (found: ${module:-nothing})" ;;
esac

# The program alone: no test, benchmark or tool of the build comes along.
installed=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' $expected | sort)
[ "$installed" = "$wanted" ] || {
  printf 'installed:\n%s\nexpected:\n%s\n' "$installed" "$wanted" >&2
  fail "the installed files are not the program's own"
}

# The installed program answers without a display, with the version of the newest
# release that the AppStream file announces.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$prefix/bin/$program" --version)
release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
[ "$version" = "Vivrel $release" ] ||
  fail "the program says '$version', the newest release is $release"

# It starts without Qt Network, which only its module links; the module is found where
# it was installed once a show's first picture is up and the download begins, and Qt
# Network never comes before it (a settings store of its own: not a first run, and a
# server at a port nobody serves).
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen LD_DEBUG=files \
  "$prefix/bin/$program" --version 2>&1 | grep -q "libQt6Network" &&
  fail "the program loads Qt Network as it starts"
run=$prefix/../install-run
rm -rf "$run"
mkdir -p "$run/config/Tremallo" "$run/pictures"
cp "$(dirname "$0")/../fuzz/corpus/picture/rgb24.bmp" "$run/pictures/a.bmp"
printf '[Settings]\nmPath=%s\n[Advert]\nBaseUrl=http://127.0.0.1:9/t\n' "$run/pictures" \
  >"$run/config/Tremallo/Vivrel.conf"
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen HOME="$run" \
  XDG_CONFIG_HOME="$run/config" XDG_CACHE_HOME="$run/cache" XDG_DATA_HOME="$run/data" \
  "$prefix/bin/$program" "$run/pictures/a.bmp" >/dev/null 2>&1 &
pid=$!
loaded=0 early=0
for _ in $(seq 300); do
  mapped=$(cat "/proc/$pid/maps" 2>/dev/null) || break
  case "$mapped" in
    */vivrel_network.so*) loaded=1; break ;;
    *libQt6Network*) early=1 ;;
  esac
  sleep 0.05
done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
rm -rf "$run"
[ "$early" = 0 ] || fail "the installed program loaded Qt Network without its module"
[ "$loaded" = 1 ] || fail "the installed program did not load its network module"

echo "install tree in $prefix: all checks passed"
