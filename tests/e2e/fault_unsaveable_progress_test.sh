#!/usr/bin/env bash
# The game where its progress cannot be saved: in a read-only game folder,
# and with the disk full when it saves. Both times a finished level leads on
# to the next one as usual, no message appears, and "Data.vrp" keeps what it
# held (or stays absent).
source "$(dirname "$0")/lib.sh"

make_game_folder "$1"
start_display

# A level whose only rock stands far beside the lanes: finished in seconds.
use_test_levels "200\n35\n300\n"

# Starts the game as start_game does, but with its log outside the game
# folder and, with `read_only`, in a folder it cannot write to; with
# `full_disk`, no file it writes can grow by a byte, as on a full disk (and
# the signal that limit sends is ignored, as a full disk sends none). Root writes
# through permission bits, so for root the folder is mounted again
# read-only in a mount namespace of the game's own, where even root gets
# "read-only file system"; anyone else is refused by the folder's mode.
start_game_in() {
  local mode=$1
  LOG=$GAME_DIR.log
  trap 'cleanup; rm -f "$LOG"' EXIT
  if [[ $mode == read_only && $(id -u) -eq 0 ]]; then
    unshare --mount --propagation private sh -c \
      'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" && cd "$1" && exec ./Game' \
      sh "$GAME_DIR" >"$LOG" 2>&1 &
  elif [[ $mode == full_disk ]]; then
    (cd "$GAME_DIR" && exec sh -c 'trap "" XFSZ; exec prlimit --fsize=0 ./Game') >"$LOG" 2>&1 &
  else
    [[ $mode == read_only ]] && chmod a-w "$GAME_DIR"
    (cd "$GAME_DIR" && exec ./Game) >"$LOG" 2>&1 &
  fi
  GAME_PID=$!
  wait_for_game_window "$LOG"
}

no_message_boxes() {
  [[ -z $(message_boxes) ]]
}

# Finishes level 0 and checks that level 1 begins and the game plays on.
finish_level_and_play_on() {
  wait_for_menu 20 || fail "no menu ($1)"
  press F1
  wait_for_white_title 8 || fail "no level banner after finishing level 0 ($1)"
  no_message_boxes || fail "a message box appeared ($1)"
  # The banner stays over level 1's first two seconds of play, then goes.
  wait_until 10 shows_no_white_title || fail "level 1 did not play on ($1)"
  game_alive || fail "the game ended ($1): $(cat "$LOG")"
  no_message_boxes || fail "a message box appeared ($1)"
  press Escape
  wait_until 5 shows_menu || fail "Esc did not bring the menu ($1)"
  press F3
  wait_for_exit 10
  ((GAME_EXIT == 0)) || fail "exit code $GAME_EXIT ($1)"
}

# First start in a read-only folder: no progress file can be created.
rm -f "$GAME_DIR/Data.vrp"
start_game_in read_only
finish_level_and_play_on "read-only folder"
chmod u+w "$GAME_DIR"
scratch_files() { compgen -G "$GAME_DIR/Data.vrp.new*" || true; }
[[ ! -e "$GAME_DIR/Data.vrp" && -z "$(scratch_files)" ]] ||
  fail "a progress file appeared in the read-only folder"

# A full disk.
printf '%s' "18.2" >"$GAME_DIR/Data.vrp"
start_game_in full_disk
# The saved level 12 is what F2 would continue; F1 plays level 0 to its end.
finish_level_and_play_on "full disk"
[[ $(cat "$GAME_DIR/Data.vrp") == "18.2" ]] || fail "Data.vrp holds '$(cat "$GAME_DIR/Data.vrp")'"
[[ -z "$(scratch_files)" ]] || fail "the scratch file was left behind: $(scratch_files)"
echo PASS
