#!/usr/bin/env bash
# Plays as a player would: a level with nothing in the way is finished and
# saved; a rock straight ahead crashes the ship; Esc pauses and F2 resumes.
source "$(dirname "$0")/lib.sh"

make_game_folder "$1"
start_display

# A level whose only rock stands far beside the lanes, 300 ahead: the ship
# passes its end after about 120 frames.
use_test_levels "200\n35\n300\n"
rm -f "$GAME_DIR/Data.vrp"
start_game
wait_for_menu 20 || fail "no menu"
press F1
wait_for_white_title 8 || fail "no level banner after finishing level 0"
[[ $(cat "$GAME_DIR/Data.vrp") == "0.6" ]] || fail "Data.vrp holds '$(cat "$GAME_DIR/Data.vrp")' after level 0"
quit_from_play

crash_new_game
# Continue flies the same level again from its start, into the same rock.
press F2
wait_until 5 shows_no_menu_title || fail "F2 did not start play"
shows_no_white_title || fail "F2 did not start play afresh"
wait_for_white_title 8 || fail "continuing did not lead to the rock again"

# Esc pauses into the menu; F2 resumes.
use_test_levels "200\n35\n2500\n"
press Escape
wait_until 5 shows_menu || fail "Esc did not leave Game Over for the menu"
press F1
wait_until 5 shows_no_menu_title || fail "F1 did not start play"
press Escape
wait_until 5 shows_menu || fail "Esc did not show the menu"
press F2
wait_until 5 shows_no_menu_title || fail "F2 did not resume play"

quit_from_play
echo PASS
