#!/usr/bin/env bash
# Installs the Debian 12 packages Pizzeria needs to build, run and test.
# Safe to run again: it only asks apt for what is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libglfw3-dev libglew-dev libglm-dev libassimp-dev
  libfreetype-dev libstb-dev libsdl2-dev libsdl2-mixer-dev libmp3lame-dev fonts-hack-ttf
  libgtest-dev libgmock-dev libbenchmark-dev
  libx11-dev xvfb xauth libgl1-mesa-dri x11-utils xdotool
  clang-tidy clang-format cppcheck glslang-tools python3 git ccache
  nsis imagemagick librsvg2-bin
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

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
