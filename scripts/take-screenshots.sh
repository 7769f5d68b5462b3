#!/usr/bin/env bash
# Takes the README's pictures of the menu and of play from the built game,
# under a virtual X server. Usage: scripts/take-screenshots.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

if [[ -z "${VORLUNE_SHOTS_UNDER_X:-}" ]]; then
  VORLUNE_SHOTS_UNDER_X=1 exec xvfb-run -a -s "-screen 0 1280x720x24" "$0" "$build"
fi

folder=$(mktemp -d /tmp/vorlune-shots-XXXXXX)
trap 'rm -rf "$folder"' EXIT
cp -a "$build/dist"/. "$folder"/
mkdir -p docs
docs=$(pwd)/docs

(cd "$folder" && SDL_AUDIODRIVER=dummy exec ./Game) &
game=$!
window=""
for _ in $(seq 1 50); do
  window=$(xdotool search --name "^Vorlune by Tamsk\$" 2>/dev/null | head -n 1 || true)
  [[ -n "$window" ]] && break
  sleep 0.1
done
sleep 2.5
import -window root "$docs/menu.png"
xdotool key --window "$window" F1
sleep 1.2
import -window root "$docs/play.png"
xdotool key --window "$window" Escape
sleep 0.3
xdotool key --window "$window" F3
wait "$game"
echo "wrote docs/menu.png and docs/play.png"
