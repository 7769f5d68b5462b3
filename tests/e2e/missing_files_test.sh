#!/usr/bin/env bash
# Each content file missing in turn: the game tells what it could not load
# (in message boxes, closed here with Enter), still reaches the menu, and
# quits cleanly. Without level 0's rock file a new game shows the credits,
# and any key ends it.
source "$(dirname "$0")/lib.sh"

dist=$1
make_game_folder "$dist"
start_window_manager
pristine=$(mktemp -d /tmp/vorlune-e2e-pristine-XXXXXX)
cp -a "$GAME_DIR"/. "$pristine"/
trap 'cleanup; rm -rf "$pristine"' EXIT

files=$(cd "$pristine" && ls | grep -v -E '^(Game|Updater|Data\.vrp|game\.log)$')
for missing in $files; do
  rm -rf "$GAME_DIR"/*
  cp -a "$pristine"/. "$GAME_DIR"/
  rm -f "$GAME_DIR/$missing"
  start_game
  reach_menu_closing_boxes 20 || fail "no menu with $missing missing"
  case "$missing" in
    *.x) ((BOXES_CLOSED >= 1)) || fail "no message for the missing model $missing" ;;
    Icon.ico) ((BOXES_CLOSED == 2)) || fail "$BOXES_CLOSED messages for the missing icon, not 2" ;;
  esac
  press F3
  wait_for_exit 10
  ((GAME_EXIT == 0)) || fail "exit code $GAME_EXIT with $missing missing"
  echo "ok: $missing missing ($BOXES_CLOSED messages)"
done

# No rock file for level 0: a new game goes straight to the closing credits.
rm -rf "$GAME_DIR"/*
cp -a "$pristine"/. "$GAME_DIR"/
rm -f "$GAME_DIR/Level0.vr"
start_game
reach_menu_closing_boxes 20 || fail "no menu without Level0.vr"
press F1
wait_for_white_title 5 || fail "no credits after a new game without Level0.vr"
press a
wait_for_exit 10
((GAME_EXIT == 0)) || fail "exit code $GAME_EXIT after the credits"
echo PASS
