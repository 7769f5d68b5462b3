#!/usr/bin/env bash
# Builds the game (content included) and starts it from its own folder.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
cd build/dist
exec ./Game
