#!/usr/bin/env bash
# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Sets up, builds and runs every test; ends with CTest's summary.
# With --asan (or VIVREL_ASAN=1) it then builds and runs the whole suite again under
# the address and undefined-behaviour sanitizers (the asan preset), end-to-end tests
# left out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
asan=${VIVREL_ASAN:-0}
args=()
for arg in "$@"; do
  if [ "$arg" = "--asan" ]; then asan=1; else args+=("$arg"); fi
done

"$root/scripts/setup.sh" dev
cd "$root"
ctest --preset dev "${args[@]}"

if [ "$asan" = "1" ]; then
  cmake --preset asan -DVIVREL_WERROR="${VIVREL_WERROR:-OFF}" >/dev/null
  cmake --build --preset asan
  ctest --preset asan -LE e2e "${args[@]}"
fi
