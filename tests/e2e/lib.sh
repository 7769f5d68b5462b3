# Shared steps of the whole-game tests: run the real Game from a copy of the
# game folder under an X server of the test's own, drive it with keys, look
# at it. Needs Xvfb, openbox, xdotool, wmctrl and ImageMagick. Every wait
# polls for what the game does, up to a bound, rather than sleeping.

set -euo pipefail
# Any command that fails unexpectedly names itself.
trap 'echo "FAIL: ${BASH_SOURCE[0]##*/}:$LINENO: $BASH_COMMAND" >&2' ERR

readonly WINDOW_TITLE="Vorlune by Tamsk"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
# The test's own X server, never a Wayland desktop the tests were started
# from; tests on Wayland start a compositor of their own (wayland.sh).
unset WAYLAND_DISPLAY

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
game_ended() { ! game_alive; }

# A private copy of the game folder, and a folder for the screenshots the
# waits take (the game folder may be read-only), removed when the test ends.
make_game_folder() {
  local dist=$1
  GAME_DIR=$(mktemp -d /tmp/vorlune-e2e-XXXXXX)
  SHOTS_DIR=$(mktemp -d /tmp/vorlune-e2e-shots-XXXXXX)
  cp -a "$dist"/. "$GAME_DIR"/
  # Settings of the test's own: the tester's would change what the game shows.
  export XDG_CONFIG_HOME=$SHOTS_DIR/config
  SETTINGS_FILE=$XDG_CONFIG_HOME/vorlune/settings.ini
  trap cleanup EXIT
}

# Each step on its own: a process already gone must not keep the X server
# alive, holding the test's output open.
cleanup() {
  [[ -n "${GAME_PID:-}" ]] && { kill "$GAME_PID" 2>/dev/null || true; }
  [[ -n "${WM_PID:-}" ]] && { kill "$WM_PID" 2>/dev/null || true; }
  [[ -n "${X_PID:-}" ]] && { kill "$X_PID" 2>/dev/null || true; }
  [[ -n "${GAME_DIR:-}" && -z "${KEEP_GAME_DIR:-}" ]] && rm -rf "$GAME_DIR" "$SHOTS_DIR"
  return 0
}

# Microseconds on a clock that only moves forward within one test.
now_us() { echo "${EPOCHREALTIME/./}"; }

# Runs a command every 50 ms until it succeeds, for at most $1 whole seconds.
wait_until() {
  local deadline=$(($(now_us) + $1 * 1000000))
  shift
  until "$@"; do
    (($(now_us) < deadline)) || return 1
    sleep 0.05
  done
}

# An X server (1280x720, 24 bits) and, unless asked for a bare one, a window
# manager of this test's own: whole-game tests can run side by side, and a
# key one of them leaves held never reaches another. Xvfb picks a free
# display and names it once it accepts connections.
start_display() {
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$number_file" 2>/dev/null &
  X_PID=$!
  wait_until 30 test -s "$number_file" || fail "Xvfb did not start"
  export DISPLAY=":$(head -n 1 "$number_file")"
  rm -f "$number_file"
  [[ "${1:-}" == bare ]] && return 0
  local wm_log=$SHOTS_DIR/openbox.log
  openbox --sm-disable >/dev/null 2>"$wm_log" &
  WM_PID=$!
  wait_until 30 wmctrl -m >/dev/null 2>&1 || fail "openbox did not start: $(cat "$wm_log")"
}

# Starts the game with the given options.
start_game() {
  release_keys
  (cd "$GAME_DIR" && exec ./Game "$@") >"$GAME_DIR/game.log" 2>&1 &
  GAME_PID=$!
  wait_for_game_window "$GAME_DIR/game.log"
}

# Waits for the started game's main window; sets GAME_WINDOW.
game_window_found() {
  game_alive || fail "Game exited before its window appeared: $(cat "$1")"
  # Only this test's game, should other programs share the X server.
  GAME_WINDOW=$(xdotool search --all --pid "$GAME_PID" --name "^${WINDOW_TITLE}\$" 2>/dev/null | head -n 1 || true)
  [[ -n "$GAME_WINDOW" ]]
}
wait_for_game_window() {
  GAME_WINDOW=""
  wait_until 20 game_window_found "$1" || fail "no window titled '$WINDOW_TITLE'"
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
  wait_until 2 game_ended && return 0
  fail "could not press $* in the game's window $GAME_WINDOW: $complaint"
}

# Waits up to $1 seconds for the game to end; sets GAME_EXIT.
wait_for_exit() {
  wait_until "$1" game_ended || fail "Game still running after ${1}s"
  wait "$GAME_PID" && GAME_EXIT=0 || GAME_EXIT=$?
  GAME_PID=""
}

screenshot() {
  import -window root "$1"
}

# Prints the colour of one pixel as rrggbb.
pixel_at() {
  convert "$1" -format "%[hex:p{$2,$3}]" info: | tr 'A-F' 'a-f' | cut -c1-6
}


# Pixels of a region (WxH+X+Y) within `fuzz` percent of colour rrggbb; for
# several regions (separated by commas) one line each, in one pass.
pixels_near() {
  local image=$1 regions=$2 colour=$3 fuzz=${4:-12} region crops=()
  for region in ${regions//,/ }; do crops+=('(' mpr:shot -crop "$region" +repage ')'); done
  convert "$image" -write mpr:shot +delete "${crops[@]}" -alpha off -fuzz "${fuzz}%" \
    -transparent "#$colour" -alpha extract -negate -format "%[fx:round(mean*w*h)]\n" info:
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

# What the title area shows, judged on a fresh screenshot.
shows_white_title() { screenshot "$SHOTS_DIR/now.ppm" && (($(white_text_in_title "$SHOTS_DIR/now.ppm") > 150)); }
shows_no_white_title() { screenshot "$SHOTS_DIR/now.ppm" && (($(white_text_in_title "$SHOTS_DIR/now.ppm") < 50)); }
shows_menu() { screenshot "$SHOTS_DIR/now.ppm" && menu_shown "$SHOTS_DIR/now.ppm"; }
# No menu title, even over a white sky (its texture missing).
shows_no_menu_title() {
  screenshot "$SHOTS_DIR/now.ppm" && (($(pixels_near "$SHOTS_DIR/now.ppm" 300x45+250+100 000000 15) < 50))
}

# Waits until the title area shows white text (a screen message), up to $1 s.
wait_for_white_title() { wait_until "$1" shows_white_title; }

# The game's windows other than its main one: its message boxes ("Error" or
# the Hebrew caption, which xdotool cannot match by name).
message_boxes() {
  local window
  for window in $(xdotool search --all --pid "$GAME_PID" --name "." 2>/dev/null); do
    [[ "$window" != "$GAME_WINDOW" ]] && echo "$window"
  done
  return 0
}

# One look on the way to the menu: closes the message boxes the game shows
# with a real Enter key press, as a player would, and counts the different
# ones in BOXES_CLOSED; succeeds once the menu runs with no box in front.
menu_reached_closing_boxes() {
  game_alive || fail "the game ended before reaching the menu"
  local boxes box
  boxes=$(message_boxes)
  if [[ -z "$boxes" ]]; then
    menu_running "$SHOTS_DIR/menu-wait" && [[ -z "$(message_boxes)" ]]
    return
  fi
  for box in $boxes; do
    if [[ "$BOXES_SEEN" != *" $box "* ]]; then
      BOXES_SEEN="$BOXES_SEEN$box "
      BOXES_CLOSED=$((BOXES_CLOSED + 1))
    fi
    xdotool windowfocus --sync "$box" 2>/dev/null && xdotool key Return 2>/dev/null || true
    box_gone() { ! xdotool getwindowname "$box" >/dev/null 2>&1; }
    wait_until 2 box_gone || true
  done
  return 1
}

# Waits up to $1 seconds until the game shows its menu, closing every
# message box on the way. Sets BOXES_CLOSED.
reach_menu_closing_boxes() {
  BOXES_CLOSED=0
  BOXES_SEEN=" "
  wait_until "$1" menu_reached_closing_boxes
}

# The menu's black title and its "New - F1" line are in the picture. The
# text is drawn at alpha 225: over a white sky (its texture missing) it
# reads as (30,30,30), beyond 10 % of black. Text covers well under half of
# each area: a window that has not drawn yet is black all over.
menu_shown() {
  local title line
  read -r -d '' title line < <(pixels_near "$1" 300x45+250+100,150x22+250+200 000000 15) || true
  ((title > 150 && title < 300 * 45 / 2 && line > 40 && line < 150 * 22 / 2))
}

# The menu is running: its texts are on screen and the ship or the sky turns
# between two looks within a second (a window that has not drawn yet may
# still show an old picture).
menu_running() {
  local first=$1.a.ppm second=$1.b.ppm
  screenshot "$first"
  menu_shown "$first" || return 1
  menu_turned() {
    screenshot "$second"
    menu_shown "$second" || return 1
    local changed
    changed=$(compare -metric AE -fuzz 5% "$first" "$second" null: 2>&1 || true)
    ((${changed%%.*} > 200))
  }
  wait_until 1 menu_turned
}

# Waits up to $1 seconds for the running menu.
wait_for_menu() { wait_until "$1" menu_running "$SHOTS_DIR/menu-wait"; }

# A rock straight ahead in the middle lane: a new game crashes into it after
# about 90 frames and shows "Game Over"; Enter brings back the menu.
crash_new_game() {
  use_test_levels "0\n35\n400\n"
  start_game
  wait_for_menu 20 || fail "no menu"
  press F1
  wait_for_white_title 8 || fail "no Game Over screen after the crash"
  press Return
  wait_until 5 shows_menu || fail "Enter did not return to the menu"
}

# Leaves play for the menu, quits from there, and expects a clean exit.
quit_from_play() {
  press Escape
  wait_until 5 shows_menu || fail "Esc did not bring the menu"
  press F3
  wait_for_exit 10
  ((GAME_EXIT == 0)) || fail "exit code $GAME_EXIT"
}
