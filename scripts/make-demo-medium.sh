#!/bin/sh
# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Lays out a demo medium: the built Vivrel beside a tree of demo pictures and the
# configuration file the Tools button writes, so that running OUT_DIR/Vivrel starts a
# full-screen, repeating, random show at 1.5 seconds by itself.
#
#   scripts/make-demo-medium.sh BUILD_DIR OUT_DIR
set -eu

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_DIR OUT_DIR" >&2
    exit 2
fi
build=$1
out=$2
program="$build/src/Vivrel"
maker="$build/samples/vivrel_make_samples"

for needed in "$program" "$maker"; do
    if [ ! -x "$needed" ]; then
        echo "$0: $needed is not built (cmake --build $build)" >&2
        exit 1
    fi
done

mkdir -p "$out"
cp "$program" "$out/Vivrel"
"$maker" --pictures "$out"
"$maker" --config-files "$out"
"$maker" --verify "$out"
echo "Demo medium ready: $out/Vivrel"
