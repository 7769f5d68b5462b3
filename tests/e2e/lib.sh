# Shared steps of the whole-game tests: run the real Game from a copy of the
# game folder under the test's X server, drive it with keys, look at it.
# Needs DISPLAY (the test runner starts Xvfb), xdotool, wmctrl, ImageMagick.

set -euo pipefail
# Any command that fails unexpectedly names itself.
trap 'echo "FAIL: ${BASH_SOURCE[0]##*/}:$LINENO: $BASH_COMMAND" >&2' ERR

readonly WINDOW_TITLE="Vorlune by Tamsk"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

fail() {
  echo "FAIL: $*" >&2
  if [[ -n "${GAME_PID:-}" ]] && ! game_alive; then
    local status=0
    wait "$GAME_PID" || status=$?
    echo "the game had ended with status $status" >&2
    GAME_PID=""
  fi
  [[ -n "${GAME_DIR:-}" && -s "$GAME_DIR/game.log" ]] && sed 's/^/game: /' "$GAME_DIR/game.log" >&2
  exit 1
}

# The game is running (an ended game stays a zombie until it is waited for).
game_alive() {
  local state
  state=$(awk '{print $3}' "/proc/$GAME_PID/stat" 2>/dev/null) || return 1
  [[ -n "$state" && "$state" != Z ]]
}

# A private copy of the game folder, removed when the test ends.
make_game_folder() {
  local dist=$1
  GAME_DIR=$(mktemp -d /tmp/vorlune-e2e-XXXXXX)
  cp -a "$dist"/. "$GAME_DIR"/
  trap cleanup EXIT
}

cleanup() {
  [[ -n "${GAME_PID:-}" ]] && kill "$GAME_PID" 2>/dev/null
  [[ -n "${WM_PID:-}" ]] && kill "$WM_PID" 2>/dev/null
  [[ -n "${GAME_DIR:-}" && -z "${KEEP_GAME_DIR:-}" ]] && rm -rf "$GAME_DIR"
  return 0
}

start_window_manager() {
  openbox --sm-disable >/dev/null 2>&1 &
  WM_PID=$!
  sleep 0.5
}

start_game() {
  release_keys
  (cd "$GAME_DIR" && exec ./Game) >"$GAME_DIR/game.log" 2>&1 &
  GAME_PID=$!
  GAME_WINDOW=""
  for _ in $(seq 1 100); do
    # Only this test's game: other programs may share the X server.
    GAME_WINDOW=$(xdotool search --all --pid "$GAME_PID" --name "^${WINDOW_TITLE}\$" 2>/dev/null | head -n 1 || true)
    [[ -n "$GAME_WINDOW" ]] && break
    game_alive || fail "Game exited before its window appeared: $(cat "$GAME_DIR/game.log")"
    sleep 0.1
  done
  [[ -n "$GAME_WINDOW" ]] || fail "no window titled '$WINDOW_TITLE'"
}

# Keys the tests press. xdotool may send a key to the focused window through
# the X server's own keyboard; when the game quits on the press and its window
# goes, xdotool dies before the release, and the key stays held for every
# later window on the server. Releasing them again keeps each test apart.
readonly TEST_KEYS="F1 F2 F3 Escape Return Left Right space a"
release_keys() {
  xdotool keyup $TEST_KEYS 2>/dev/null || true
}

press() {
  game_alive || fail "the game had ended before the key $*"
  local pressed=0 complaint
  complaint=$(xdotool key --window "$GAME_WINDOW" "$@" 2>&1) || pressed=$?
  release_keys
  ((pressed == 0)) && return 0
  # A key that ends the game takes its window away while xdotool still
  # works with it: that complaint is no failure if the game is ending.
  for _ in $(seq 1 20); do
    game_alive || return 0
    sleep 0.1
  done
  fail "could not press $* in the game's window $GAME_WINDOW: $complaint"
}

# Waits up to $1 seconds for the game to end; sets GAME_EXIT.
wait_for_exit() {
  local seconds=$1
  for _ in $(seq 1 $((seconds * 10))); do
    if ! game_alive; then
      wait "$GAME_PID" && GAME_EXIT=0 || GAME_EXIT=$?
      GAME_PID=""
      return 0
    fi
    sleep 0.1
  done
  fail "Game still running after ${seconds}s"
}

screenshot() {
  import -window root "$1"
}

# Prints the colour of one pixel as rrggbb.
pixel_at() {
  convert "$1" -format "%[hex:p{$2,$3}]" info: | tr 'A-F' 'a-f' | cut -c1-6
}


# Pixels of a region (WxH+X+Y) within `fuzz` percent of colour rrggbb.
pixels_near() {
  local image=$1 region=$2 colour=$3 fuzz=${4:-12}
  convert "$image" -crop "$region" +repage -alpha off -fuzz "${fuzz}%" -transparent "#$colour" \
    -alpha extract -negate -format "%[fx:round(mean*w*h)]" info:
}

# The title area of the screen (where "Vorlune", "Game Over", the level
# banners and the credits stand): how much white text and black text it holds.
white_text_in_title() { pixels_near "$1" 300x45+250+100 ffffff 8; }
black_text_in_title() { pixels_near "$1" 300x45+250+100 000000 10; }

# Replaces the game's levels with the given rock and pickup texts for level 0
# and an empty-field level 1, so a test knows exactly what lies ahead.
use_test_levels() {
  local rocks=$1 pickups=${2:-}
  rm -f "$GAME_DIR"/Level*.vr "$GAME_DIR"/Level*.su
  printf '%b' "$rocks" >"$GAME_DIR/Level0.vr"
  printf '%b' "$pickups" >"$GAME_DIR/Level0.su"
  printf '%b' "200\n35\n3000\n" >"$GAME_DIR/Level1.vr"
}

# Waits until the title area shows white text (a screen message), up to $1 s.
wait_for_white_title() {
  local seconds=$1 shot=$GAME_DIR/wait.png
  for _ in $(seq 1 $((seconds * 4))); do
    screenshot "$shot"
    (($(white_text_in_title "$shot") > 150)) && return 0
    sleep 0.25
  done
  return 1
}

# The game's windows other than its main one: its message boxes ("Error" or
# the Hebrew caption, which xdotool cannot match by name).
message_boxes() {
  local window
  for window in $(xdotool search --all --pid "$GAME_PID" --name "." 2>/dev/null); do
    [[ "$window" != "$GAME_WINDOW" ]] && echo "$window"
  done
  return 0
}

# Waits until the game shows its menu, closing every message box it puts up
# on the way with a real Enter key press, as a player would. Sets
# BOXES_CLOSED to how many different boxes it saw.
reach_menu_closing_boxes() {
  local seconds=$1 shot=$GAME_DIR/menu-wait seen=" " box boxes
  BOXES_CLOSED=0
  for _ in $(seq 1 $((seconds * 4))); do
    game_alive || fail "the game ended before reaching the menu"
    boxes=$(message_boxes)
    if [[ -n "$boxes" ]]; then
      for box in $boxes; do
        if [[ "$seen" != *" $box "* ]]; then
          seen="$seen$box "
          BOXES_CLOSED=$((BOXES_CLOSED + 1))
        fi
        xdotool windowfocus --sync "$box" 2>/dev/null && xdotool key Return 2>/dev/null || true
        sleep 0.3
      done
      continue
    fi
    menu_running "$shot" && [[ -z "$(message_boxes)" ]] && return 0
    sleep 0.2
  done
  return 1
}

# The menu's black title and its "New - F1" line are in the picture. The
# text is drawn at alpha 225: over a white sky (its texture missing) it
# reads as (30,30,30), beyond 10 % of black.
menu_shown() {
  (($(pixels_near "$1" 300x45+250+100 000000 15) > 150)) &&
    (($(pixels_near "$1" 150x22+250+200 000000 15) > 40))
}

# The menu is running: its texts are on screen and the ship or the sky turns
# between two looks (a window that has not drawn yet may still show an old
# picture).
menu_running() {
  local first=$1.a.png second=$1.b.png
  screenshot "$first"
  menu_shown "$first" || return 1
  sleep 0.3
  screenshot "$second"
  menu_shown "$second" || return 1
  local changed
  changed=$(compare -metric AE -fuzz 5% "$first" "$second" null: 2>&1 || true)
  ((${changed%%.*} > 200))
}

# Leaves play for the menu, quits from there, and expects a clean exit.
quit_from_play() {
  press Escape
  sleep 0.3
  press F3
  wait_for_exit 10
  ((GAME_EXIT == 0)) || fail "exit code $GAME_EXIT"
}
