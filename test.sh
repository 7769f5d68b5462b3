#!/usr/bin/env bash
# Builds everything and runs the whole test suite headless, under a virtual
# X server with Mesa's software OpenGL and SDL's dummy audio driver.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-test -j"$(nproc)"
export SDL_AUDIODRIVER=dummy
cd build-test
xvfb-run --auto-servernum --server-args="-screen 0 1280x720x24 -nolisten tcp" \
  ctest --output-on-failure --timeout 600
