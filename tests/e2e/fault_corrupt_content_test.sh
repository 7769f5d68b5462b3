#!/usr/bin/env bash
# The real game on a copy of its folder with broken content: a truncated
# mesh, a PNG with a bad header, noise for the music and the sound, a level
# file of binary garbage and a pickup file of 100 MB of digits. The broken
# mesh and texture are each told once in a box that Enter closes; then the
# menu comes, the garbage level is played, and the game quits normally, in
# bounded memory.
source "$(dirname "$0")/lib.sh"

make_game_folder "$1"
start_display

size=$(stat -c %s "$GAME_DIR/rock.x")
truncate -s $((size / 2)) "$GAME_DIR/rock.x"
printf 'Q' | dd of="$GAME_DIR/sky.png" bs=1 seek=1 conv=notrunc status=none
head -c 300000 /dev/urandom >"$GAME_DIR/something.mp3"
head -c 60000 /dev/urandom >"$GAME_DIR/explode.wav"
head -c 65536 /dev/urandom >"$GAME_DIR/Level0.vr"
head -c 100000000 /dev/zero | tr '\0' '7' >"$GAME_DIR/Level0.su"
rm -f "$GAME_DIR/Data.vrp"

start_game
# Start-up stops at each box until the player closes it.
reach_menu_closing_boxes 30 || fail "no menu after the broken files"
((BOXES_CLOSED == 2)) || fail "expected a box for the mesh and one for the texture, saw $BOXES_CLOSED"

# The garbage level is played for a while; nothing ends the game.
press F1
wait_until 5 shows_no_menu_title || fail "F1 did not start play"
sleep 4
game_alive || fail "Game ended in play: $(cat "$GAME_DIR/game.log")"
[[ -z $(message_boxes) ]] || fail "a box appeared in play"
peak_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$GAME_PID/status")
echo "peak resident memory: $((peak_kb / 1024)) MB"
# The 100 MB pickup file must not be held in memory.
((peak_kb < 200 * 1024)) || fail "the game took $((peak_kb / 1024)) MB"

quit_from_play
echo PASS
