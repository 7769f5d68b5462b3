#!/usr/bin/env bash
# The real game on a copy of its folder with broken content: a truncated
# mesh, a PNG with a bad header, noise for the music and the sound, a level
# file of binary garbage and a pickup file of 100 MB of digits. The broken
# mesh and texture are each told once in a box that Enter closes; then the
# menu comes, the garbage level is played, and the game quits normally, in
# bounded memory.
source "$(dirname "$0")/lib.sh"

make_game_folder "$1"
start_window_manager

size=$(stat -c %s "$GAME_DIR/rock.x")
truncate -s $((size / 2)) "$GAME_DIR/rock.x"
printf 'Q' | dd of="$GAME_DIR/sky.png" bs=1 seek=1 conv=notrunc status=none
head -c 300000 /dev/urandom >"$GAME_DIR/something.mp3"
head -c 60000 /dev/urandom >"$GAME_DIR/explode.wav"
head -c 65536 /dev/urandom >"$GAME_DIR/Level0.vr"
head -c 100000000 /dev/zero | tr '\0' '7' >"$GAME_DIR/Level0.su"
rm -f "$GAME_DIR/Data.vrp"

# The window id of a message box on the screen, if any. Looked up through
# the window manager: xdotool's name search does not match Hebrew titles.
message_box_window() {
  wmctrl -l | awk '{ title = $0; sub(/^[^ ]+ +[^ ]+ +[^ ]+ /, "", title) }
    title == "שגיאה" || title == "Error" { print $1; exit }'
}

start_game
# Start-up stops at each box until the player closes it.
boxes=0
for _ in $(seq 1 120); do
  box=$(message_box_window)
  if [[ -n "$box" ]]; then
    boxes=$((boxes + 1))
    ((boxes <= 4)) || fail "more boxes than broken files"
    sleep 0.3
    # The box is gone before the key is released; xdotool complains of that.
    xdotool key --window "$box" Return 2>/dev/null || true
    sleep 0.5
    continue
  fi
  kill -0 "$GAME_PID" 2>/dev/null || fail "Game ended during start-up: $(cat "$GAME_DIR/game.log")"
  # The loading screen's text stands where the menu's title will: the menu
  # is only looked for once both boxes have come and gone.
  if ((boxes >= 2)); then
    sleep 1
    screenshot "$GAME_DIR/start.png"
    (($(black_text_in_title "$GAME_DIR/start.png") > 150)) && break
  fi
  sleep 0.25
done
((boxes == 2)) || fail "expected a box for the mesh and one for the texture, saw $boxes"
(($(black_text_in_title "$GAME_DIR/start.png") > 150)) || fail "no menu after the boxes"

# The garbage level is played for a while; nothing ends the game.
press F1
sleep 4
kill -0 "$GAME_PID" 2>/dev/null || fail "Game ended in play: $(cat "$GAME_DIR/game.log")"
[[ -z $(message_box_window) ]] || fail "a box appeared in play"
peak_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$GAME_PID/status")
echo "peak resident memory: $((peak_kb / 1024)) MB"
# The 100 MB pickup file must not be held in memory.
((peak_kb < 200 * 1024)) || fail "the game took $((peak_kb / 1024)) MB"

press Escape
sleep 0.3
press F3
wait_for_exit 10
((GAME_EXIT == 0)) || fail "exit code $GAME_EXIT"
echo PASS
