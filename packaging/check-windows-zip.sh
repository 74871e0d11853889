#!/bin/sh
# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Makes the Windows zip of the build BUILD, unpacks it into WORK and runs the program
# from there under Wine with the offscreen platform, with nothing but the zip's own DLLs
# and plug-ins: it must answer --version, and with a folder of pictures named it must
# start and keep running (a show has no end of its own); a folder that is not there it
# names on its error output.
#   check-windows-zip.sh BUILD WORK VERSION WINEPREFIX
set -eu
build=$1 work=$2 version=$3
export WINEPREFIX=$4 WINEDEBUG=-all
# Wine's Unix side keeps to a home beside the prefix, as the tests' runs do.
export HOME=${4%/*}/wine-home XDG_DATA_HOME=${4%/*}/wine-home/.local/share \
       XDG_CONFIG_HOME=${4%/*}/wine-home/.config WINEDLLOVERRIDES=winemenubuilder.exe=d
mkdir -p "$HOME"
# Wine hands a Windows program the WINEQT_* variables as QT_*.
export WINEQT_QPA_PLATFORM=offscreen
unset WINEPATH
wine=/usr/lib/wine/wine64
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/cpack" "$work/unpacked"
(cd "$build" && cpack -G ZIP -B "$work/cpack" >/dev/null)
zip=$work/cpack/Vivrel-$version-win64.zip
[ -f "$zip" ] || fail "no $zip"
(cd "$work/unpacked" && cmake -E tar xf "$zip")
bin=$work/unpacked/Vivrel-$version-win64/bin
for f in Vivrel.exe Qt6Core.dll Qt6Widgets.dll libstdc++-6.dll platforms/qoffscreen.dll \
         platforms/qwindows.dll imageformats/qjpeg.dll vivrel_network.dll Qt6Network.dll; do
  [ -f "$bin/$f" ] || fail "the zip has no $f"
done
echo "zip: $(du -k "$zip" | cut -f1) KiB, $(find "$bin" -type f | wc -l) files"

answer=$(timeout 120 "$wine" "$bin/Vivrel.exe" --version | tr -d '\r')
[ "$answer" = "Vivrel $version" ] || fail "--version said '$answer'"
echo "Vivrel.exe --version: $answer"

pictures=$work/pictures
mkdir -p "$pictures/sub"
root=$(cd "$(dirname "$0")/.." && pwd)
cp "$root/fuzz/corpus/picture/baseline.jpg" "$pictures/a.jpg"
cp "$root/fuzz/corpus/picture/rgb24.bmp" "$pictures/sub/b.bmp"
# Runs the program with the arguments given for a while; fails if it ends by itself.
run_for() {
  seconds=$1 name=$2
  shift 2
  "$wine" "$bin/Vivrel.exe" "$@" >"$work/$name.out" 2>"$work/$name.err" &
  pid=$!
  sleep "$seconds"
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid" || true
    cat "$work/$name.err" >&2
    fail "Vivrel.exe $* ended by itself"
  fi
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
}
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

run_for 15 show "$(winpath "$pictures")"
if grep -q "does not exist" "$work/show.err"; then
  cat "$work/show.err" >&2
  fail "the folder of pictures was not found"
fi
# The same run with a folder that is not there says so where the user sees it.
run_for 8 missing "$(winpath "$work/nowhere")"
grep -q "nowhere does not exist; skipped" "$work/missing.err" ||
  fail "no word about the missing folder: $(cat "$work/missing.err")"
echo "Vivrel.exe with a folder of pictures: running after 15 s; a missing folder is reported"
