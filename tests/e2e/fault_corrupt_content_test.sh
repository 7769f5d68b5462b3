#!/usr/bin/env bash
# The real game on a copy of its folder with broken content: a truncated
# mesh, a PNG with a bad header, noise for the music and the sound, a level
# file of binary garbage and a pickup file of 100 MB of digits. The broken
# mesh and texture are each told once in a box that Enter closes; then the
# menu comes, the garbage level is played, and the game quits normally, in
# bounded memory. Then pipes and a 3 GB file in the place of content files:
# none is waited on or read through, each counts as broken, and the menu
# comes at once.
source "$(dirname "$0")/lib.sh"

dist=$1
make_game_folder "$dist"
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

fresh_game_folder() {
  rm -rf "${GAME_DIR:?}"/*
  cp -a "$dist"/. "$GAME_DIR"/
}
# A game stuck reading a file does not end on SIGTERM, which is all the
# clean-up sends.
give_up() {
  kill -KILL "$GAME_PID" 2>/dev/null || true
  fail "$@"
}

# Pipes no writer will ever open: a mesh, a texture, the music, the icon.
fresh_game_folder
for name in rock.x sky.png something.mp3 Icon.ico; do
  rm -f "$GAME_DIR/$name"
  mkfifo "$GAME_DIR/$name"
done
start_game
reach_menu_closing_boxes 15 || give_up "no menu with pipes in place of content files"
((BOXES_CLOSED == 4)) || fail "expected a box for the mesh, the texture and each icon, saw $BOXES_CLOSED"
press F3
wait_for_exit 10
((GAME_EXIT == 0)) || fail "exit code $GAME_EXIT with pipes in place of content files"
echo "ok: pipes in place of content files"

# A mesh of 3 GB (a hole, taking no disk) is refused without being read.
fresh_game_folder
rm -f "$GAME_DIR/rock.x"
truncate -s 3G "$GAME_DIR/rock.x"
start_game
reach_menu_closing_boxes 15 || give_up "no menu with a 3 GB rock.x"
((BOXES_CLOSED == 1)) || give_up "expected one box for the mesh, saw $BOXES_CLOSED"
peak_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$GAME_PID/status")
((peak_kb < 200 * 1024)) || give_up "the game took $((peak_kb / 1024)) MB with a 3 GB rock.x"
kill -TERM "$GAME_PID"
wait_until 5 game_ended || give_up "Game still running 5 s after SIGTERM"
wait "$GAME_PID" || true
GAME_PID=""
echo "ok: a 3 GB rock.x"
echo PASS
