#!/usr/bin/env bash
# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Sourced by the set-up scripts: install_missing PACKAGE... installs with apt-get those
# Debian packages that are not installed yet, and nothing when all of them are.
install_missing() {
  local missing=() p sudo=""
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  echo "Installing: ${missing[*]}"
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
