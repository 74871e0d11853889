#!/usr/bin/env bash
# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs the end-to-end test, which photographs the real program on its own Xvfb screen,
# and copies its screenshots into docs/ (the README shows them). The test alone leaves
# docs/ as it is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" dev
cd "$root"
shots="$root/build/dev/tests/e2e/screenshots"
rm -f "$shots"/*.png
ctest --preset dev -L e2e
for shot in "$shots"/*.png; do
  cp "$shot" "$root/docs/"
  echo "docs/$(basename "$shot")"
done
