#!/usr/bin/env bash
# First start with no progress file: the file is created holding -1, the menu
# appears with its title, and the ship turns between two screenshots.
source "$(dirname "$0")/lib.sh"

make_game_folder "$1"
rm -f "$GAME_DIR/Data.vrp"
start_display
start_game
wait_for_menu 20 || fail "no menu with its title and the ship turning"

# Start-up writes the progress file before the menu's first frame.
[[ -f "$GAME_DIR/Data.vrp" ]] || fail "no Data.vrp after the first start"
[[ $(cat "$GAME_DIR/Data.vrp") == "-1" ]] || fail "Data.vrp holds '$(cat "$GAME_DIR/Data.vrp")'"

press F3
wait_for_exit 10
((GAME_EXIT == 0)) || fail "exit code $GAME_EXIT"
echo PASS
