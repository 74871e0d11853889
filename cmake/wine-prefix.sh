#!/bin/sh
# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Makes the Wine prefix the Windows tests run in, once per run:
#   wine-prefix.sh WINEPREFIX WINE_HOME SOURCE_TOP EMULATOR...
# EMULATOR (the build's CMAKE_CROSSCOMPILING_EMULATOR) makes the prefix on first use.
set -eu
prefix=$1 home=$2 top=$3
shift 3
# The recycle bin under Wine is the trash of Wine's home: each run starts with it empty,
# as each test's sandbox does on Linux.
rm -rf "$home/.local/share/Trash"
mkdir -p "$home"
# Windows shows a name with a leading dot like any other.
"$@" reg.exe add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f >/dev/null
# "/work/x" means "C:\work\x" to a Windows program: let that lead to the host's /work.
name=${top#/}
if [ -n "$name" ] && [ ! -e "$prefix/drive_c/$name" ]; then
  ln -s "$top" "$prefix/drive_c/$name"
fi
