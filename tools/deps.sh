#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing), through sudo when not root.
# With --run also what the program uses at run time without a desktop: zenity, the file chooser for
# Save and Load where no desktop portal answers, and xdg-open with a PDF viewer for Help > Open User
# Guide (xdg-open asks `file` for the file's type and finds the viewer in the cache of desktop files
# that desktop-file-utils keeps).
set -euo pipefail
runtime=()
[ "${1:-}" = "--run" ] && runtime=(zenity xdg-utils file desktop-file-utils mupdf)
packages=(
  "${runtime[@]}"
  build-essential cmake ninja-build g++ clang libclang-rt-14-dev clang-format git python3
  libgtest-dev libgmock-dev libbenchmark-dev
  librtmidi-dev pkg-config
  libsdl2-dev libx11-dev libxtst-dev
  libcairo2-dev libfreetype-dev libfontconfig-dev libpng-dev libexpat1-dev fonts-dejavu-core
  libosmesa6-dev libglu1-mesa-dev libgl-dev
  libdbus-1-dev dbus
  xvfb xauth xfonts-base
  openbox x11-utils
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
