#!/usr/bin/env bash
# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs what the build, the tests and the package need on Debian 12 (only what is
# missing), then configures and builds the given preset (default: dev).
set -euo pipefail
preset=${1:-dev}
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(cmake ninja-build g++ qt6-base-dev qt6-svg-dev ccache xvfb xauth xdotool imagemagick libjpeg62-turbo-dev
          fonts-dejavu-extra dbus desktop-file-utils appstream dpkg-dev file iproute2 man-db
          # Qt's translation tools and its own catalogues.
          qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
          # The Wayland idle inhibitor (generated with wayland-scanner at build time) and the
          # end-to-end test under a headless sway.
          pkg-config libwayland-dev wayland-protocols qt6-base-private-dev qt6-wayland
          sway grim wtype wayvnc wayland-utils)
source "$root/scripts/install-missing.sh"
install_missing "${packages[@]}"

cd "$root"
flags=()
if [ "$preset" = package ]; then
  # The package is built with Debian's hardening flags: stack protector, fortified
  # functions, read-only relocations bound at start-up.
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  flags=("-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
         "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)"
         "-DCMAKE_MODULE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)")
fi
# VIVREL_WERROR=ON in the environment makes every warning an error (CI sets it).
cmake --preset "$preset" -DVIVREL_WERROR="${VIVREL_WERROR:-OFF}" "${flags[@]}" >/dev/null
cmake --build --preset "$preset"
