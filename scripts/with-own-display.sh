#!/usr/bin/env bash
# Runs a command under an X server of its own (1280x720, 24 bits) and stops
# the server afterwards. Xvfb picks a free display number itself and names it
# once it accepts connections, so several of these can start at once.
#
#   scripts/with-own-display.sh <command> [arguments...]
set -uo pipefail
number_file=$(mktemp)
# -noreset: a test connecting while the server starts afresh after its last
# client left would find no display.
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp -noreset 3>"$number_file" 2>/dev/null &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -f "$number_file"' EXIT
for ((tries = 0; tries < 300; ++tries)); do
  [[ -s $number_file ]] && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.1
done
[[ -s $number_file ]] || { echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(head -n 1 "$number_file")" "$@"
