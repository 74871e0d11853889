#!/usr/bin/env bash
# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the Debian package from an optimised build of the program alone (the package
# preset: no tests, benchmarks or sample makers) and prints what it holds:
# build/package/vivrel_<version>_<arch>.deb.
# With --install it then installs the package with apt-get as root (CI does it on its
# fresh machine), checks that /usr/bin/Vivrel answers without a display, and purges
# the package again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
install=0
for arg in "$@"; do
  case "$arg" in
    --install) install=1 ;;
    *) echo "usage: $0 [--install]" >&2; exit 2 ;;
  esac
done

"$root/scripts/setup.sh" package
cd "$root/build/package"
rm -f vivrel_*.deb
cpack -G DEB >/dev/null
debs=(vivrel_*.deb)
deb=${debs[0]}
echo "Package: $PWD/$deb ($(du -k "$deb" | cut -f1) KiB)"
dpkg-deb --field "$deb" Package Version Architecture Section Maintainer Depends Recommends
# A Wayland session gets the native client only with Qt's Wayland platform.
if [[ "$(dpkg-deb --field "$deb" Recommends)" != *qt6-wayland* ]]; then
  echo "FAIL: the package does not recommend qt6-wayland" >&2
  exit 1
fi
dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {$1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print "  " $0}'

# Debian's own checks, pedantic ones too: no error and no warning. (An informational
# tag that must stay would be overridden in an overrides file installed with the
# package, its reason written beside it.)
if command -v lintian >/dev/null; then
  lintian --pedantic --info --display-info --fail-on error,warning "$deb" ||
    { echo "FAIL: lintian has errors or warnings on $deb" >&2; exit 1; }
  echo "lintian --pedantic: no errors, no warnings"
elif [ "$install" = "1" ]; then
  echo "FAIL: lintian is not installed (.ci/run installs it)" >&2
  exit 1
fi

if [ "$install" = "1" ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  purge() { DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq vivrel >/dev/null; }
  trap purge EXIT
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "./$deb" >/dev/null
  expected="Vivrel $(dpkg-deb --field "$deb" Version)"
  answer=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb /usr/bin/Vivrel --version)
  if [ "$answer" != "$expected" ]; then
    echo "FAIL: the installed Vivrel says '$answer', expected '$expected'" >&2
    exit 1
  fi
  echo "Installed with apt-get; /usr/bin/Vivrel --version: $answer"
  [ "$(env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/vivrel --version)" = "$expected" ] ||
    { echo "FAIL: /usr/bin/vivrel does not answer as Vivrel" >&2; exit 1; }
  # Without a display: an unknown option and a start each get one line and status 1.
  for args in --bogus ""; do
    status=0
    said=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb /usr/bin/vivrel $args 2>&1) ||
      status=$?
    if [ "$status" != 1 ] || [ "$(printf '%s\n' "$said" | wc -l)" != 1 ]; then
      echo "FAIL: vivrel $args without a display: status $status, said: $said" >&2
      exit 1
    fi
    echo "vivrel $args without a display: $said"
  done
  for name in Vivrel vivrel; do
    page=$(man -w "$name") || { echo "FAIL: man $name finds no page" >&2; exit 1; }
    echo "man $name: $page"
  done
fi
