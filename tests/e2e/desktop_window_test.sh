#!/usr/bin/env bash
# The game on an X11 desktop with a window manager: named as its menu entry,
# in the desktop's own full-screen state, F11 and Alt+Enter switch to a
# window and back, the choice is remembered and the command line wins over
# it, and play pauses when another window takes the keyboard.
source "$(dirname "$0")/lib.sh"

make_game_folder "$1"
start_display
# A window of a size where the screens keep their full-screen layout.
mkdir -p "${SETTINGS_FILE%/*}"
printf '# kept\nwindow_width = 1100\nwindow_height = 620\n' >"$SETTINGS_FILE"

geometry() {
  xdotool getwindowgeometry --shell "$GAME_WINDOW" | awk -F= '/WIDTH/{w=$2} /HEIGHT/{h=$2} END{print w "x" h}'
}
fills_screen() { [[ $(geometry) == 1280x720 ]]; }
is_window_of() { [[ $(geometry) == "$1" ]]; }
in_full_screen_state() { xprop -id "$GAME_WINDOW" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN; }
# The menu, judged on the game's window alone.
window_shows_menu() { import -window "$GAME_WINDOW" "$SHOTS_DIR/window.ppm" && menu_shown "$SHOTS_DIR/window.ppm"; }
setting() { sed -n "s/^$1 *= *//p" "$SETTINGS_FILE"; }

start_game
wait_for_menu 20 || fail "no menu"
xprop -id "$GAME_WINDOW" WM_CLASS | grep -q '"io.github.vorlune.Vorlune"' ||
  fail "WM_CLASS is $(xprop -id "$GAME_WINDOW" WM_CLASS)"
wait_until 5 in_full_screen_state || fail "the window manager was not asked for full screen"
fills_screen || fail "full screen is $(geometry)"

press F11
wait_until 5 is_window_of 1100x620 || fail "F11 gave $(geometry), not the 1100x620 window"
in_full_screen_state && fail "still in the full-screen state after F11"
wait_until 5 window_shows_menu || fail "no menu in the window"
[[ $(setting fullscreen) == false ]] || fail "the window was not remembered: $(cat "$SETTINGS_FILE")"
grep -q '^# kept$' "$SETTINGS_FILE" || fail "the settings file lost a line of the player's"
press alt+Return
wait_until 5 fills_screen || fail "Alt+Enter gave $(geometry), not the full screen"
wait_until 5 shows_menu || fail "no menu after Alt+Enter"
press F11
wait_until 5 is_window_of 1100x620 || fail "F11 in full screen gave $(geometry)"
press F3
wait_for_exit 10
((GAME_EXIT == 0)) || fail "F3 ended the game with code $GAME_EXIT"

# The next start remembers the window; --fullscreen wins over it once.
start_game
wait_for_menu 20 || wait_until 5 window_shows_menu || fail "no menu in the remembered window"
is_window_of 1100x620 || fail "the remembered window is $(geometry)"
press F3
wait_for_exit 10
# A compositor named that is not there: X11, after one line that says so.
release_keys
(cd "$GAME_DIR" && WAYLAND_DISPLAY=vorlune-no-compositor exec ./Game --fullscreen) >"$GAME_DIR/game.log" 2>&1 &
GAME_PID=$!
wait_for_game_window "$GAME_DIR/game.log"
wait_for_menu 20 || fail "no menu with --fullscreen"
fills_screen || fail "--fullscreen gave $(geometry)"
[[ $(grep -c 'Wayland compositor "vorlune-no-compositor" could not be used.*running on X11' "$GAME_DIR/game.log") == 1 &&
  $(wc -l <"$GAME_DIR/game.log") == 1 ]] || fail "not one line about the Wayland fallback: $(cat "$GAME_DIR/game.log")"

# Another window takes the keyboard during play: the game pauses into its menu.
use_test_levels "200\n35\n30000\n"
press F1
wait_until 5 shows_no_menu_title || fail "F1 did not start play"
xmessage -name vorlune-test-other -geometry 300x100+10+10 "another program" 2>/dev/null &
OTHER_PID=$!
other_window() {
  OTHER_WINDOW=$(xdotool search --classname '^vorlune-test-other$' 2>/dev/null | head -n 1)
  [[ -n "$OTHER_WINDOW" ]]
}
wait_until 10 other_window || fail "no other window"
xdotool windowactivate --sync "$OTHER_WINDOW" || xdotool windowfocus --sync "$OTHER_WINDOW"
kill "$OTHER_PID" 2>/dev/null || true
wait_until 5 shows_menu || fail "play did not pause when another window took the keyboard"
press F3
wait_for_exit 10
((GAME_EXIT == 0)) || fail "exit code $GAME_EXIT"
[[ $(setting fullscreen) == false ]] || fail "--fullscreen for one start was remembered"
echo PASS
