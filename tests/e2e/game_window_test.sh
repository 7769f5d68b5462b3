#!/usr/bin/env bash
# The real Game under the test's X server: its window fills the screen, shows
# the menu on the sky colour, and quits cleanly on F3 and on a window close.
source "$(dirname "$0")/lib.sh"

dist=$1
make_game_folder "$dist"
start_window_manager

start_game
sleep 2
read -r width height < <(xdotool getwindowgeometry --shell "$GAME_WINDOW" |
  awk -F= '/WIDTH/{w=$2} /HEIGHT/{h=$2} END{print w, h}')
read -r screen_width screen_height < <(xdotool getdisplaygeometry)
[[ "$width" == "$screen_width" && "$height" == "$screen_height" ]] ||
  fail "window is ${width}x${height}, screen ${screen_width}x${screen_height}"

screenshot "$GAME_DIR/menu.png"
share=$(share_of_colour "$GAME_DIR/menu.png" 00ffe6)
((share >= 50)) || fail "the clear colour fills only ${share}% of the screen"
[[ $(pixel_at "$GAME_DIR/menu.png" 1200 700) == 00ffe6 ]] || fail "bottom right is not the clear colour"

press F3
wait_for_exit 10
((GAME_EXIT == 0)) || fail "F3 ended the game with code $GAME_EXIT: $(cat "$GAME_DIR/game.log")"

# Closing the window through the window manager quits as well.
start_game
sleep 1
wmctrl -c "$WINDOW_TITLE"
wait_for_exit 10
((GAME_EXIT == 0)) || fail "closing the window ended the game with code $GAME_EXIT"
grep -qi "assert\|error" "$GAME_DIR/game.log" && fail "the game logged: $(cat "$GAME_DIR/game.log")"
echo "PASS"
