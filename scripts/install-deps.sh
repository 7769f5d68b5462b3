#!/usr/bin/env bash
# Installs the Debian packages the game, its tests and its tools need.
# Does nothing when every package is already present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config libgtest-dev
  libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev libsdl2-image-dev libx11-dev
  libdecor-0-plugin-1-cairo
  libassimp-dev zlib1g-dev libepoxy-dev libcurl4-openssl-dev libfontconfig-dev
  libsodium-dev minisign
  fonts-liberation2 fonts-dejavu-core
  xvfb xauth xdotool libgl1-mesa-dri libegl1 imagemagick lame openbox wmctrl x11-utils weston
  clang libclang-rt-14-dev
  desktop-file-utils appstream lintian
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}"
as_root=()
if [[ $(id -u) -ne 0 ]]; then
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq || true
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
