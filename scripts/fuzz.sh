#!/usr/bin/env bash
# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the libFuzzer harnesses (clang, address + undefined sanitizers) and runs each
# for the given number of seconds (default 600), starting from the committed corpus.
# New inputs go to build/fuzz/corpus-<name>; anything found to build/fuzz/findings-<name>.
# Usage: scripts/fuzz.sh [seconds] [harness...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
shift || true
harnesses=("$@")
((${#harnesses[@]})) || harnesses=(ini values picture page)

command -v clang++ >/dev/null || { echo "clang++ is needed (apt-get install clang libclang-rt-dev)"; exit 1; }
cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${harnesses[@]/#/fuzz_}"

for name in "${harnesses[@]}"; do
  work="$root/build/fuzz/corpus-$name"
  findings="$root/build/fuzz/findings-$name"
  mkdir -p "$work" "$findings"
  # The picture and page harnesses keep a Qt application for the whole run; the font
  # and platform libraries it loads keep caches that the leak check would report.
  leaks=1
  case "$name" in picture|page) leaks=0 ;; esac
  echo "== $name: ${seconds}s"
  # Short allocation stacks and a small quarantine: Qt allocates a great deal per
  # input, and the defaults slow the page harness down tenfold as its memory grows.
  ASAN_OPTIONS="detect_leaks=$leaks:malloc_context_size=2:quarantine_size_mb=16" \
    QT_LOGGING_RULES='*=false' QT_QPA_PLATFORM=offscreen "$root/build/fuzz/fuzz/fuzz_$name" "$work" "$root/fuzz/corpus/$name" \
    -max_total_time="$seconds" -rss_limit_mb=4096 -timeout=20 -max_len=16384 \
    -detect_leaks=$leaks -artifact_prefix="$findings/" -print_final_stats=1 2>&1 | tail -n 12
done
