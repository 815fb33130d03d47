#!/usr/bin/env bash
# Installs every Debian package the project needs. Safe to run again: only missing packages are
# installed, and the package lists are refreshed only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  zlib1g-dev libgsf-1-dev
  libgtest-dev googletest libbenchmark-dev
  libmodbus-dev   # the reference master of the link benchmark
  libqcustomplot-dev libqcustomplot2.1-qt6   # the trend window (QCustomPlot, its Qt 6 build)
  clang
  qt6-base-dev        # the window (Qt 6 Widgets, Qt Test)
  qt6-l10n-tools qt6-translations-l10n   # the window's translations and Qt's own Russian texts
  # the desktop files, the icons, the guide, the manual pages and the Debian package, and their checks
  librsvg2-bin dpkg-dev desktop-file-utils appstream shared-mime-info libglib2.0-bin libxml2-utils groff-base
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
