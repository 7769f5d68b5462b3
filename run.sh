#!/usr/bin/env bash
# Builds the game (content included) and starts it from its own folder. The
# tests are left to ./test.sh, so the first start waits only for the game.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build build -j"$(nproc)"
cd build/dist
exec ./Game
