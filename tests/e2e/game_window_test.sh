#!/usr/bin/env bash
# The real Game under its own X server: its window fills the screen, shows
# the menu, and quits cleanly on F3 and on a window close.
source "$(dirname "$0")/lib.sh"

dist=$1
make_game_folder "$dist"
start_display

start_game
wait_for_menu 20 || fail "no menu"
read -r width height < <(xdotool getwindowgeometry --shell "$GAME_WINDOW" |
  awk -F= '/WIDTH/{w=$2} /HEIGHT/{h=$2} END{print w, h}')
read -r screen_width screen_height < <(xdotool getdisplaygeometry)
[[ "$width" == "$screen_width" && "$height" == "$screen_height" ]] ||
  fail "window is ${width}x${height}, screen ${screen_width}x${screen_height}"

screenshot "$GAME_DIR/menu.png"
(($(black_text_in_title "$GAME_DIR/menu.png") > 150)) || fail "no menu title on the screen"
# The sky fills the screen to its corners: nothing there is left black.
for corner in "2 2" "1277 2" "2 717" "1277 717"; do
  [[ $(pixel_at "$GAME_DIR/menu.png" $corner) != 000000 ]] || fail "black at corner $corner"
done

press F3
wait_for_exit 10
((GAME_EXIT == 0)) || fail "F3 ended the game with code $GAME_EXIT: $(cat "$GAME_DIR/game.log")"

# Closing the window through the window manager quits as well.
start_game
wait_for_menu 20 || fail "no menu the second time"
wmctrl -i -c "$GAME_WINDOW"
wait_for_exit 10
((GAME_EXIT == 0)) || fail "closing the window ended the game with code $GAME_EXIT"
grep -qi "assert\|error" "$GAME_DIR/game.log" && fail "the game logged: $(cat "$GAME_DIR/game.log")"
echo "PASS"
