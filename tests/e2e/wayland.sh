# shellcheck shell=bash
# A Wayland desktop inside the test's own X server: weston's X11 back-end
# shows its one output as an X window, so the game runs as a Wayland client
# while xdotool and import still reach it through X. Sourced after lib.sh.
# Needs weston (its compositor, shell and weston-info) and x11-utils
# (xwininfo) besides what lib.sh needs.
#
# No window manager runs on this X server (start_display bare): with none, weston's output
# window is mapped exactly where and as large as weston asks, at (0,0) with
# no frame, and nothing else ever takes the X keyboard focus from it. Under
# openbox a 1280x720 one gets a frame and shrinks to 1278x695 at (1,20);
# weston's --fullscreen fills the screen there too, but only once openbox
# has acted on the window.
#
# Weston starts from a weston.ini of the test's own, not from whatever the
# machine has: its panel and its background are flat colours found nowhere
# in the game's picture, the panel shows no clock and no launcher, and
# nothing blanks or locks the screen while a slow machine runs the test.
# Keys do not repeat: on a loaded machine the release of a key the test
# presses may reach the game later than the repeat delay.

readonly WAYLAND_OUTPUT_WIDTH=1280
readonly WAYLAND_OUTPUT_HEIGHT=720
# weston 10's desktop shell draws its top panel this high, whatever its
# weston.ini says.
readonly WAYLAND_PANEL_HEIGHT=32
readonly WAYLAND_PANEL_COLOUR=ff00ff
readonly WAYLAND_BACKGROUND_COLOUR=00ff00

# With no launcher of its own the shell puts a terminal's icon on the panel;
# ours is one pixel of the panel's colour, so the panel is one flat colour.
write_weston_config() {
  local icon=$SHOTS_DIR/launcher.png
  convert -size 1x1 "xc:#$WAYLAND_PANEL_COLOUR" "PNG24:$icon"
  cat >"$1" <<EOF
[core]
idle-time=0

[shell]
panel-position=top
panel-color=0xff$WAYLAND_PANEL_COLOUR
background-color=0xff$WAYLAND_BACKGROUND_COLOUR
clock-format=none
locking=false
animation=none
close-animation=none
startup-animation=none
focus-animation=none

[keyboard]
repeat-rate=0

[launcher]
icon=$icon
path=/bin/true
EOF
}

# Starts weston on the test's X server and waits until its desktop is up.
# Sets and exports WAYLAND_DISPLAY and XDG_RUNTIME_DIR; sets WESTON_PID,
# WESTON_WINDOW (its output's X window) and WESTON_GEOMETRY (WxH+X+Y of that
# window on the X screen). The test's cleanup stops weston.
start_wayland_desktop() {
  [[ -n "${DISPLAY:-}" ]] || fail "start_wayland_desktop needs the test's X server"
  export XDG_RUNTIME_DIR=$SHOTS_DIR/runtime
  mkdir -m 0700 "$XDG_RUNTIME_DIR"
  export WAYLAND_DISPLAY=vorlune-e2e-$$
  WESTON_LOG=$SHOTS_DIR/weston.log
  write_weston_config "$SHOTS_DIR/weston.ini"
  trap stop_wayland_desktop_then_clean_up EXIT
  weston --backend=x11-backend.so --use-pixman --config="$SHOTS_DIR/weston.ini" \
    --width="$WAYLAND_OUTPUT_WIDTH" --height="$WAYLAND_OUTPUT_HEIGHT" \
    --socket="$WAYLAND_DISPLAY" --log="$WESTON_LOG" >"$SHOTS_DIR/weston.out" 2>&1 &
  WESTON_PID=$!
  WESTON_WINDOW=""
  wait_until 15 wayland_desktop_up || fail "weston's desktop did not come up: $(weston_log_tail)"
  # Keys pressed on the X server go to weston's window, which hands them to
  # the Wayland client that has its keyboard focus.
  xdotool windowfocus --sync "$WESTON_WINDOW"
  put_pointer_in_the_middle
}

# weston draws its pointer into the output. In the middle of the output it
# lies on the game's picture, whether that fills the output or stands in a
# window, and clear of the menu's texts. weston's X11 back-end moves its
# pointer by how far the X pointer moved, from wherever it was, and stops
# it at the output's edges: a sweep to the far corner and back puts it at
# (0,0), from where it follows the X pointer exactly.
put_pointer_in_the_middle() {
  xdotool mousemove --sync 0 0 \
    mousemove --sync $((WAYLAND_OUTPUT_WIDTH - 1)) $((WAYLAND_OUTPUT_HEIGHT - 1)) \
    mousemove --sync 0 0 \
    mousemove --sync $((WAYLAND_OUTPUT_WIDTH / 2)) $((WAYLAND_OUTPUT_HEIGHT / 2))
}

weston_alive() { kill -0 "$WESTON_PID" 2>/dev/null; }
weston_log_tail() { tail -n 20 "$WESTON_LOG" "$SHOTS_DIR/weston.out" 2>/dev/null || true; }

# weston 10 brings weston-info; later ones leave it to wayland-utils.
wayland_globals() {
  local lister=weston-info
  command -v wayland-info >/dev/null && lister=wayland-info
  timeout 5 "$lister" 2>/dev/null
}

# One look at weston starting: its socket takes a client that finds a seat
# with a keyboard (SDL 2.26 crashes without a seat), its output's X window
# is mapped, and its shell has drawn the panel.
wayland_desktop_up() {
  weston_alive || fail "weston ended while starting: $(weston_log_tail)"
  wayland_globals | grep -q "capabilities:.*keyboard" || return 1
  if [[ -z "$WESTON_WINDOW" ]]; then
    # weston names its output window in its log ("window id <decimal>").
    WESTON_WINDOW=$(sed -n 's/.*x11 output .*window id \([0-9]\+\).*/\1/p' "$WESTON_LOG" | head -n 1)
    [[ -n "$WESTON_WINDOW" ]] || return 1
  fi
  local info
  info=$(xwininfo -id "$WESTON_WINDOW" 2>/dev/null) || return 1
  grep -q "Map State: IsViewable" <<<"$info" || return 1
  WESTON_GEOMETRY=$(awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /^ *Width:/{w=$NF} /^ *Height:/{h=$NF} END{printf "%dx%d+%d+%d", w, h, x, y}' <<<"$info")
  wayland_screenshot "$SHOTS_DIR/desktop.ppm" && bare_desktop_shown "$SHOTS_DIR/desktop.ppm"
}

stop_wayland_desktop_then_clean_up() {
  [[ -n "${GAME_PID:-}" ]] && { kill "$GAME_PID" 2>/dev/null || true; }
  [[ -n "${WESTON_PID:-}" ]] && { kill "$WESTON_PID" 2>/dev/null || true; }
  cleanup
}

# A screenshot of exactly weston's output, as a player of the Wayland
# desktop sees it.
wayland_screenshot() {
  import -window root -crop "$WESTON_GEOMETRY" +repage "$1"
}

# Pixels of the output shot $1 within a small fuzz of rrggbb in region $2.
desktop_pixels() { pixels_near "$1" "$2" "$3" 3; }

# The shell's whole panel lies across the top of the output: nearly every
# pixel of its rows is the panel's colour (weston's pointer may be on it).
panel_shown() {
  local strip=${WAYLAND_OUTPUT_WIDTH}x${WAYLAND_PANEL_HEIGHT}+0+0
  (($(desktop_pixels "$1" "$strip" "$WAYLAND_PANEL_COLOUR") > WAYLAND_OUTPUT_WIDTH * WAYLAND_PANEL_HEIGHT * 9 / 10))
}

# The desktop before any window: the whole panel, exactly as high as the
# checks here take it to be.
bare_desktop_shown() {
  local row_below=${WAYLAND_OUTPUT_WIDTH}x1+0+$WAYLAND_PANEL_HEIGHT
  panel_shown "$1" && (($(desktop_pixels "$1" "$row_below" "$WAYLAND_PANEL_COLOUR") == 0))
}

# How many pixels of the output shot $1 show the desktop itself (its panel
# or its background) rather than a window.
desktop_pixels_shown() {
  local whole=${WAYLAND_OUTPUT_WIDTH}x${WAYLAND_OUTPUT_HEIGHT}+0+0 panel background
  panel=$(desktop_pixels "$1" "$whole" "$WAYLAND_PANEL_COLOUR")
  background=$(desktop_pixels "$1" "$whole" "$WAYLAND_BACKGROUND_COLOUR")
  echo $((panel + background))
}

# Where in the output shot $1 the game's picture lies, as WxH+X+Y: the box
# around everything that is neither panel nor background. A 1-pixel border of
# desktop colour keeps a picture that fills the output from being trimmed as
# if it were the border.
game_picture_box() {
  local box
  box=$(convert "$1" -alpha off -fuzz 3% -fill "#$WAYLAND_PANEL_COLOUR" \
    -opaque "#$WAYLAND_BACKGROUND_COLOUR" -bordercolor "#$WAYLAND_PANEL_COLOUR" -border 1 \
    -format "%@" info: 2>/dev/null)
  local size=${box%%+*} rest=${box#*+}
  local x=${rest%%+*} y=${rest#*+}
  echo "$size+$((x - 1))+$((y - 1))"
}

# The game's picture fills the output: no panel and no background anywhere,
# and the sky reaches the corners (weston shows a full-screen surface smaller
# than the output in the middle of black).
game_fills_output() {
  (($(desktop_pixels_shown "$1") == 0)) || return 1
  ! black_corner "$1"
}

black_corner() {
  local right=$((WAYLAND_OUTPUT_WIDTH - 1)) bottom=$((WAYLAND_OUTPUT_HEIGHT - 1)) corner
  for corner in "0 0" "$right 0" "0 $bottom" "$right $bottom"; do
    [[ $(pixel_at "$1" "${corner% *}" "${corner#* }") == 000000 ]] && return 0
  done
  return 1
}

# What the output shot $1 shows, for a failure's message.
describe_output() {
  local panel="the shell's panel is hidden" corners=""
  panel_shown "$1" && panel="the whole panel shows"
  black_corner "$1" && corners=", a corner is black"
  echo "the game's picture is $(game_picture_box "$1") of the" \
    "${WAYLAND_OUTPUT_WIDTH}x${WAYLAND_OUTPUT_HEIGHT} output, $(desktop_pixels_shown "$1")" \
    "pixels show the desktop, $panel$corners"
}

# The game shows in a window: a picture smaller than the output, with the
# background around it and the panel showing again (a window weston puts
# at the top may cover part of the panel).
game_in_window() {
  local whole=${WAYLAND_OUTPUT_WIDTH}x${WAYLAND_OUTPUT_HEIGHT}+0+0 box size
  (($(desktop_pixels "$1" "$whole" "$WAYLAND_PANEL_COLOUR") > 0)) || return 1
  (($(desktop_pixels "$1" "$whole" "$WAYLAND_BACKGROUND_COLOUR") > 0)) || return 1
  box=$(game_picture_box "$1")
  size=${box%%+*}
  ((${size%x*} < WAYLAND_OUTPUT_WIDTH && ${size#*x} < WAYLAND_OUTPUT_HEIGHT))
}

# Starts the game in its folder as a client of the desktop. Keys reach it
# through weston's output window, which lib.sh's press() then uses as the
# game's window.
start_wayland_game() {
  release_keys
  (cd "$GAME_DIR" && exec ./Game) >"$GAME_DIR/game.log" 2>&1 &
  GAME_PID=$!
  GAME_WINDOW=$WESTON_WINDOW
}

# A screenshot of the output cropped to the game's picture into $1; fails
# while the output shows only the desktop (and weston's pointer on it).
wayland_game_picture() {
  local output=$SHOTS_DIR/output.ppm box size
  wayland_screenshot "$output"
  box=$(game_picture_box "$output")
  size=${box%%+*}
  ((${size%x*} >= 64 && ${size#*x} >= 64)) || return 1
  # A window's decorations stand above its picture: the picture is the
  # bottom GAME_PICTURE_HEIGHT rows of what the game shows, when that is set.
  convert "$output" -crop "$box" +repage -gravity South \
    -crop "${size%x*}x${GAME_PICTURE_HEIGHT:-${size#*x}}+0+0" +repage "$1"
}

# As lib.sh's menu_running, on the game's picture wherever the compositor
# shows it.
wayland_menu_running() {
  game_alive || fail "the game ended before reaching the menu"
  local first=$SHOTS_DIR/wayland-menu.a.ppm second=$SHOTS_DIR/wayland-menu.b.ppm
  wayland_game_picture "$first" && menu_shown "$first" || return 1
  wayland_menu_turned() {
    wayland_game_picture "$second" && menu_shown "$second" || return 1
    local changed
    changed=$(compare -metric AE -fuzz 5% "$first" "$second" null: 2>&1 || true)
    [[ $changed =~ ^[0-9]+ ]] && ((BASH_REMATCH[0] > 200))
  }
  wait_until 1 wayland_menu_turned
}
wait_for_wayland_menu() { wait_until "$1" wayland_menu_running; }

# The game made no X window: neither one of its process nor one with its
# title is on the X server, so what the output shows came through Wayland.
game_has_no_x_window() {
  ! xdotool search --all --pid "$GAME_PID" >/dev/null 2>&1 &&
    ! xdotool search --name "^${WINDOW_TITLE}\$" >/dev/null 2>&1
}

# The state of the game's window, judged on a fresh screenshot of the output.
shows_game_full_screen() { wayland_screenshot "$SHOTS_DIR/now.ppm" && game_fills_output "$SHOTS_DIR/now.ppm"; }
shows_game_in_window() { wayland_screenshot "$SHOTS_DIR/now.ppm" && game_in_window "$SHOTS_DIR/now.ppm"; }
