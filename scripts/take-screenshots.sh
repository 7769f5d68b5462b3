#!/usr/bin/env bash
# Takes the README's pictures of the menu, of play and of a rocket opening a
# wall from the built game, under a virtual X server.
# Usage: scripts/take-screenshots.sh [build folder]
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

# Starts the game in the folder and waits for its menu; sets game and window.
start_game() {
  (cd "$folder" && SDL_AUDIODRIVER=dummy exec ./Game) &
  game=$!
  window=""
  for _ in $(seq 1 50); do
    window=$(xdotool search --name "^Vorlune by Tamsk\$" 2>/dev/null | head -n 1 || true)
    [[ -n "$window" ]] && break
    sleep 0.1
  done
  sleep 2.5
}

quit_game() {
  xdotool key --window "$window" Escape
  sleep 0.3
  xdotool key --window "$window" F3
  wait "$game"
}

start_game
import -window root "$docs/menu.png"
xdotool key --window "$window" F1
sleep 1.2
import -window root "$docs/play.png"
quit_game

# A wall across the three lanes with a bomb in the middle lane before it: the
# ship takes the bomb by about 1.2 s, and the rocket fired then opens the
# middle lane of the wall about a second later.
printf -- '-30\n35\n450\n\n0\n35\n452\n\n30\n35\n448\n\n-100\n40\n1600' >"$folder/Level0.vr"
printf '0\n35\n150' >"$folder/Level0.su"
start_game
xdotool key --window "$window" F1
sleep 1.4
# Space before the pickup does nothing; the first press after it fires.
for _ in 1 2 3 4; do
  xdotool key --window "$window" space
  sleep 0.1
done
sleep 0.4
import -window root "$docs/wall.png"
quit_game
echo "wrote docs/menu.png, docs/play.png and docs/wall.png"
