#!/usr/bin/env bash
# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Writes the bad-picture corpus (broken, lying and hostile picture files, a FIFO and
# links) into OUT_DIR. Builds the small maker program with the dev preset if needed.
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: $0 OUT_DIR" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
[ -f build/dev/build.ninja ] || cmake --preset dev >/dev/null
cmake --build build/dev --target make_bad_pictures >/dev/null
cd - >/dev/null
"$root/build/dev/tests/make_bad_pictures" "$1"
