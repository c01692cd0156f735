#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine (run as
# root or with sudo available). Safe to run again: it installs only what is
# missing.
set -euo pipefail

packages=(
  cmake g++ make googletest
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64
  xvfb xauth x11-utils xdotool imagemagick
  locales fonts-ipafont-gothic
  nsis zip unzip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine uses code page 932 only under a Japanese locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  $SUDO sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
