#!/usr/bin/env bash
# Builds the Debian package of the game into build-package/ and checks it
# with lintian. Usage: scripts/make-package.sh
# Install it with: apt install ./build-package/vorlune_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --tests
build=build-package
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/vorlune_*.deb
(cd "$build" && cpack -G DEB)
package=$(ls "$build"/vorlune_*.deb)
# Errors fail the build; warnings and notes are shown.
lintian --fail-on error "$package"
echo "built $package"
