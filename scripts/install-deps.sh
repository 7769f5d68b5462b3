#!/usr/bin/env bash
# Installs the Debian packages the game needs to be built and run, and with
# `--tests` also those its tests and tools need. Does nothing when every
# package is already present.
#
#   scripts/install-deps.sh           # what ./run.sh needs
#   scripts/install-deps.sh --tests   # and what ./test.sh needs
set -euo pipefail

# Building the game and its content, and running it.
packages=(
  build-essential cmake pkg-config lame
  libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev libsdl2-image-dev libx11-dev
  zlib1g-dev libepoxy-dev libcurl4-openssl-dev libfontconfig-dev libsodium-dev
  fonts-liberation2 fonts-dejavu-core libgl1-mesa-dri libegl1 libdecor-0-plugin-1-cairo
)
# Testing it: unit tests, X servers and a Wayland compositor of their own,
# keys and screenshots, signatures, the sanitizer and fuzzing build (the
# default clang with whatever runtime it brings), the package's checks.
if [[ "${1:-}" == --tests ]]; then
  packages+=(
    libgtest-dev minisign
    xvfb xauth xdotool imagemagick openbox wmctrl x11-utils weston
    clang libclang-rt-dev
    desktop-file-utils appstream lintian
  )
elif [[ -n "${1:-}" ]]; then
  echo "usage: $0 [--tests]" >&2
  exit 2
fi

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
