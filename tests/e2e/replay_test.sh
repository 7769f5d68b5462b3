#!/usr/bin/env bash
# A run is recorded as it is played and shown again with --replay: the same
# crash under a "Replay" label in the top right corner, then the menu; Esc
# ends a replay early; a file that is no replay is refused in one line.
source "$(dirname "$0")/lib.sh"

make_game_folder "$1"
start_display
crash_new_game
press F3
wait_for_exit 10
replays=("$GAME_DIR"/replays/*_level-0.replay)
((${#replays[@]} == 1)) && [[ -f ${replays[0]} ]] || fail "no replay of the run in replays/: $(ls "$GAME_DIR/replays" 2>&1)"
replay=replays/${replays[0]##*/}

# The label's black text where the screen's top right corner is sky.
label_pixels() { pixels_near "$SHOTS_DIR/now.ppm" 75x25+1200+5 000000 15; }
shows_replay_label() { screenshot "$SHOTS_DIR/now.ppm" && (($(label_pixels) > 40)); }
shows_crash_in_replay() { shows_white_title && (($(label_pixels) > 40)); }

start_game --replay "$replay"
wait_until 8 shows_crash_in_replay || fail "the replay showed no crash under its label"
wait_for_menu 10 || fail "the replay did not end in the menu"
shows_replay_label && fail "the label stays on the menu"
grep -q "did not play out" "$GAME_DIR/game.log" && fail "the replay did not play out as recorded"

# Esc ends a replay at once, before the crash.
start_game --replay "$replay"
wait_until 8 shows_replay_label || fail "no replay label"
press Escape
wait_until 3 shows_menu || fail "Esc did not end the replay"
press F3
wait_for_exit 10
((GAME_EXIT == 0)) || fail "exit code $GAME_EXIT"
[[ $(ls "$GAME_DIR/replays" | wc -l) == 1 ]] || fail "watching a replay recorded another"

# A file that is no replay: one line, no window, a failure code.
echo "not a replay" >"$GAME_DIR/notes.txt"
status=0
(cd "$GAME_DIR" && ./Game --replay notes.txt) >"$SHOTS_DIR/refused.log" 2>&1 || status=$?
((status == 1)) || fail "exit code $status for a file that is no replay"
[[ $(cat "$SHOTS_DIR/refused.log") == "Game: cannot show the replay notes.txt: not a replay of this game" ]] ||
  fail "refused with: $(cat "$SHOTS_DIR/refused.log")"
echo PASS
