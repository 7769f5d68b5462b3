#!/usr/bin/env bash
# A key pressed just after the mouse has moved over the game is answered at
# once: the pointer's motion must not queue up ahead of it.
source "$(dirname "$0")/lib.sh"

make_game_folder "$1"
start_display
start_game
wait_for_menu 20 || fail "no menu"

# A mouse moved for a moment: 400 motions back and forth over the window,
# sent in one run of xdotool.
moves=()
for ((i = 0; i < 400; i++)); do moves+=(mousemove $((100 + 2 * i)) $((100 + i % 2 * 300))); done
xdotool "${moves[@]}"

pressed_at=$(now_us)
press F3
wait_until 10 game_ended || fail "F3 after the pointer's motion did not end the game within 10 s"
delay_ms=$((($(now_us) - pressed_at) / 1000))
echo "F3 after 400 pointer motions ended the game in ${delay_ms} ms"
# Queued one a frame ahead of the key, the motions alone would take 6.4 s.
# Ending the game takes 0.1 to 0.3 s on a quiet machine, and up to 1 s with
# two busy processes beside it.
((delay_ms < 2000)) || fail "F3 took ${delay_ms} ms to end the game (at most 2000 ms)"
wait_for_exit 1
((GAME_EXIT == 0)) || fail "exit code $GAME_EXIT"
echo PASS
