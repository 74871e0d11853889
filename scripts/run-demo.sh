#!/usr/bin/env bash
# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Sets up, builds, lays out a demo medium (the program, its pictures and the
# configuration file that starts the show by itself) and runs it. Without a display
# the program runs under Xvfb and a screenshot is saved instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" dev
medium="$root/demo-medium"
"$root/scripts/make-demo-medium.sh" "$root/build/dev" "$medium"

if [ -n "${DISPLAY:-}" ]; then
  exec "$medium/Vivrel"
fi

shot="$root/demo-medium/screenshot.png"
echo "No display here: running Vivrel under Xvfb for a few seconds; screenshot: $shot"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  "$1/Vivrel" & pid=$!
  sleep 5
  import -window root "$2"
  kill $pid 2>/dev/null || true
  wait $pid 2>/dev/null || true
' _ "$medium" "$shot"
echo "Screenshot saved: $shot"
