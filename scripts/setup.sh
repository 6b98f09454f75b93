#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Tamsel needs.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-translations-l10n
  libqt6svg6 qt6-qpa-plugins libgl-dev
  libjpeg62-turbo-dev
  libzip-dev libpugixml-dev
  arj
  fonts-noto-cjk fonts-dejavu-core
  poppler-utils
  python3 python3-dbfread
  xauth xvfb
  desktop-file-utils appstream dpkg-dev file util-linux
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
