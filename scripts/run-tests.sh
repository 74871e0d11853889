#!/usr/bin/env bash
# Sets up, builds and runs every test; ends with CTest's summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" dev
cd "$root"
ctest --preset dev "$@"
