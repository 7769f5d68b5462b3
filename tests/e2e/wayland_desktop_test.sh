#!/usr/bin/env bash
# The real Game as a client of a Wayland desktop: with an X server at hand
# as well, it takes Wayland, names itself as its menu entry, covers the
# whole output in the compositor's full-screen state, above the shell's
# panel, F11 and Alt+Enter switch to a window and back, and F3 quits.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wayland.sh"

make_game_folder "$1"
start_display bare
start_wayland_desktop

[[ -n "$DISPLAY" ]] || fail "no X server beside the compositor"
unset SDL_VIDEODRIVER
export WAYLAND_DEBUG=client  # the protocol requests, to read the app id from
start_wayland_game
wait_for_wayland_menu 25 || fail "no menu on the Wayland desktop"
game_has_no_x_window || fail "the game made an X window instead of a Wayland one"

if ! wait_until 5 shows_game_full_screen; then
  wayland_screenshot "$GAME_DIR/not-full-screen.png"
  fail "not full screen: $(describe_output "$GAME_DIR/not-full-screen.png")"
fi

grep -q 'set_app_id("io.github.vorlune.Vorlune")' "$GAME_DIR/game.log" ||
  fail "the app id is not the desktop entry's: $(grep -m1 set_app_id "$GAME_DIR/game.log")"

press F11
wait_until 5 shows_game_in_window || fail "F11 did not give a window: $(describe_output "$SHOTS_DIR/now.ppm")"
GAME_PICTURE_HEIGHT=576 wait_for_wayland_menu 5 || fail "no menu in the window"
press F11
wait_until 5 shows_game_full_screen || fail "F11 in a window did not give full screen"
press alt+Return
wait_until 5 shows_game_in_window || fail "Alt+Enter did not give a window"
press alt+Return
wait_until 5 shows_game_full_screen || fail "Alt+Enter in a window did not give full screen"

press F3
wait_for_exit 10
((GAME_EXIT == 0)) || fail "F3 ended the game with code $GAME_EXIT"
grep -v '^\[' "$GAME_DIR/game.log" | grep -qi "assert\|error" && fail "the game logged: $(cat "$GAME_DIR/game.log")"
echo PASS
