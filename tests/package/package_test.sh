#!/usr/bin/env bash
# The Debian package made from a build: lintian finds no error in it, its
# desktop entry and AppStream metadata validate, and it holds the launcher,
# the two programs, every content file, the icons and the manual page.
#   tests/package/package_test.sh <build folder>
set -euo pipefail
build=$(realpath "$1")
work=$(mktemp -d /tmp/vorlune-package-XXXXXX)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
package=$(ls "$work"/vorlune_*.deb)
lintian --fail-on error "$package"
dpkg-deb -x "$package" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/io.github.vorlune.Vorlune.desktop"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/io.github.vorlune.Vorlune.metainfo.xml"

expected=(usr/games/vorlune usr/libexec/vorlune/Game
  usr/share/man/man6/vorlune.6.gz usr/share/doc/vorlune/copyright)
for size in 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/io.github.vorlune.Vorlune.png")
done
for file in $(cd "$build/dist" && ls | grep -v -E '^(Game|Updater|Data\.vrp|version\.txt|.*\.log)$'); do
  expected+=("usr/share/vorlune/$file")
done
[[ ! -e $work/root/usr/libexec/vorlune/Updater ]] || { echo "FAIL: the package installs an updater"; exit 1; }
for file in "${expected[@]}"; do
  [[ -f $work/root/$file ]] || { echo "FAIL: the package lacks /$file"; exit 1; }
done
echo "PASS: ${#expected[@]} files checked in $(basename "$package")"
