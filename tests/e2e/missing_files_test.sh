#!/usr/bin/env bash
# Each content file missing in turn: the game tells what it could not load
# (in message boxes, closed here with Enter), still reaches the menu, and
# quits cleanly. Without level 0's rock file a new game shows the credits,
# and any key ends it. The cases run in two lanes side by side, each lane
# with an X server of its own.
source "$(dirname "$0")/lib.sh"

dist=$1
lanes=2

# One lane: the game started once for each of the named files missing.
run_lane() {
  make_game_folder "$dist"
  start_display
  local missing
  for missing in "$@"; do
    if [[ $missing == credits ]]; then
      check_credits_without_level_0
      continue
    fi
    rm -rf "${GAME_DIR:?}"/*
    cp -a "$dist"/. "$GAME_DIR"/
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
}

# No rock file for level 0: a new game goes straight to the closing credits.
check_credits_without_level_0() {
  rm -rf "${GAME_DIR:?}"/*
  cp -a "$dist"/. "$GAME_DIR"/
  rm -f "$GAME_DIR/Level0.vr"
  start_game
  reach_menu_closing_boxes 20 || fail "no menu without Level0.vr"
  press F1
  wait_for_white_title 5 || fail "no credits after a new game without Level0.vr"
  press a
  wait_for_exit 10
  ((GAME_EXIT == 0)) || fail "exit code $GAME_EXIT after the credits"
  echo "ok: the credits without Level0.vr"
}

if [[ ${2:-} == --lane ]]; then
  shift 2
  run_lane "$@"
  exit 0
fi

mapfile -t files < <(cd "$dist" && ls | grep -v -E '^(Game|Updater|Data\.vrp|game\.log)$')
((${#files[@]} > 30)) || fail "only ${#files[@]} content files in $dist"
cases=("${files[@]}" credits)
logs=$(mktemp -d /tmp/vorlune-e2e-lanes-XXXXXX)
trap 'rm -rf "$logs"' EXIT
pids=()
for ((lane = 0; lane < lanes; ++lane)); do
  share=()
  for ((i = lane; i < ${#cases[@]}; i += lanes)); do share+=("${cases[i]}"); done
  "$0" "$dist" --lane "${share[@]}" >"$logs/$lane.log" 2>&1 &
  pids+=($!)
done
status=0
for ((lane = 0; lane < lanes; ++lane)); do
  wait "${pids[lane]}" || status=1
  sed "s/^/lane $lane: /" "$logs/$lane.log"
done
((status == 0)) || fail "a lane failed"
cases_passed=$(cat "$logs"/*.log | grep -c '^ok: ')
((cases_passed == ${#cases[@]})) || fail "$cases_passed of ${#cases[@]} cases passed"
echo "PASS: ${#cases[@]} cases"
