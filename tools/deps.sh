#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing), through sudo when not root.
set -euo pipefail
packages=(
  build-essential cmake ninja-build g++ clang libclang-rt-14-dev clang-format git python3
  libgtest-dev libgmock-dev libbenchmark-dev
  librtmidi-dev pkg-config
  libsdl2-dev libx11-dev
  libcairo2-dev libfreetype-dev libfontconfig-dev libpng-dev libexpat1-dev fonts-dejavu-core
  libosmesa6-dev libglu1-mesa-dev libgl-dev
  libdbus-1-dev dbus
  xvfb xauth xfonts-base
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
