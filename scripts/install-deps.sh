#!/usr/bin/env bash
# Installs the Debian packages the tool needs to build, run and test.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config clang-format clang libclang-rt-dev
  qt6-base-dev libqt6opengl6-dev qt6-charts-dev qt6-serialport-dev
  libgl-dev libudev-dev libbenchmark-dev libxcb1-dev x11-utils
  libqt6sql6-sqlite libqt6sql6-psql postgresql qt6-translations-l10n poppler-utils
  fonts-dejavu-core xvfb xauth desktop-file-utils
  python3-pyatspi at-spi2-core dbus-x11 xdotool
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
