#!/bin/sh
# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Fails when a catalogue in translations/ lacks a text of the sources or holds one that
# is unfinished, empty or no longer used. Each catalogue is brought up to date in a copy
# first, the way `update_translations` would, so a text added to the sources without its
# translation is found too.
#   check-catalogues.sh LUPDATE SOURCE_DIR WORK_DIR
set -eu
lupdate=$1
source=$2
work=$3

rm -rf "$work"
mkdir -p "$work"
failed=0
found=0
for catalogue in "$source"/translations/*.ts; do
  found=1
  copy=$work/$(basename "$catalogue")
  cp "$catalogue" "$copy"
  "$lupdate" -silent -no-obsolete -locations none "$source/src" -ts "$copy" >/dev/null
  if ! cmp -s "$catalogue" "$copy"; then
    echo "FAIL: $catalogue is not up to date with the sources; run the update_translations target:" >&2
    diff -u "$catalogue" "$copy" >&2 || true
    failed=1
  fi
  # Unfinished, vanished or obsolete entries, and translations left empty.
  bad=$(grep -n -e 'type="unfinished"' -e 'type="vanished"' -e 'type="obsolete"' \
    -e '<translation></translation>' -e '<translation/>' -e '<numerusform></numerusform>' \
    -e '<numerusform/>' "$copy" || true)
  if [ -n "$bad" ]; then
    echo "FAIL: $catalogue has entries without a finished translation:" >&2
    echo "$bad" >&2
    failed=1
  fi
done
[ "$found" = 1 ] || { echo "FAIL: no catalogue in $source/translations" >&2; exit 1; }
[ "$failed" = 0 ] || exit 1
echo "every catalogue is complete"
