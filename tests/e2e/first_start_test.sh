#!/usr/bin/env bash
# First start with no progress file: the file is created holding -1, the menu
# appears with its title, and the ship turns between two screenshots.
source "$(dirname "$0")/lib.sh"

make_game_folder "$1"
rm -f "$GAME_DIR/Data.vrp"
start_window_manager
start_game
sleep 2

[[ -f "$GAME_DIR/Data.vrp" ]] || fail "no Data.vrp after the first start"
[[ $(cat "$GAME_DIR/Data.vrp") == "-1" ]] || fail "Data.vrp holds '$(cat "$GAME_DIR/Data.vrp")'"

screenshot "$GAME_DIR/menu1.png"
(($(black_text_in_title "$GAME_DIR/menu1.png") > 150)) || fail "no title in the menu"
sleep 1
screenshot "$GAME_DIR/menu2.png"
# The ship turns at the centre of the screen: that part of the picture changes.
changed=$(compare -metric AE -fuzz 5% -crop 500x300+390+250 "$GAME_DIR/menu1.png" "$GAME_DIR/menu2.png" null: 2>&1 || true)
((${changed%%.*} > 200)) || fail "the ship does not turn (only $changed pixels changed)"

press F3
wait_for_exit 10
((GAME_EXIT == 0)) || fail "exit code $GAME_EXIT"
echo PASS
