#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, test and run Kolvar B2B.
set -euo pipefail
PKGS=(cmake ninja-build g++ pkg-config
      qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql qt6-httpserver-dev libqt6websockets6-dev libcpp-httplib-dev
      libgl1-mesa-dev libsodium-dev libxlsxwriter-dev
      postgresql xvfb xauth poppler-utils unzip fonts-dejavu-core
      xdotool imagemagick dbus-daemon at-spi2-core python3-pyatspi)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
