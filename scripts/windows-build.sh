#!/usr/bin/env bash
# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# The Windows build on Debian 12: installs the MinGW-w64 cross compiler, Wine and the
# host's Qt tools (only what is missing), cross-builds the `windows` preset (the program,
# the library and the tests) and runs the tests labelled `windows` under Wine, the zip's
# own check among them. The Qt for MinGW comes from ../shared/toolchains/ (or
# VIVREL_MINGW_TOOLCHAINS), or from QT_MINGW_PREFIX: cmake/windows-cross.cmake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(cmake ninja-build g++-mingw-w64-x86-64-posix qt6-base-dev-tools wine64 wine ccache xz-utils)
source "$root/scripts/install-missing.sh"
install_missing "${packages[@]}"

cd "$root"
start=$(date +%s)
cmake --preset windows -DVIVREL_WERROR="${VIVREL_WERROR:-OFF}" >/dev/null
cmake --build --preset windows -- -j"${VIVREL_JOBS:-2}"
built=$(date +%s)
ctest --preset windows -j2 "$@"
echo "Windows build: $((built - start)) s; its tests under Wine: $(($(date +%s) - built)) s"
