#!/usr/bin/env bash
# The game as a package installs it: installed into a temporary root that is
# then mounted read-only, started with `vorlune` for a player whose home is
# a temporary folder. Progress lands in the player's game folder and nothing
# under the install changes; a second start continues from there; the
# player's own level files are played instead of the shipped ones and stay.
source "$(dirname "$0")/lib.sh"

build=$(dirname "$(realpath "$1")")
GAME_DIR=$(mktemp -d /tmp/vorlune-e2e-installed-XXXXXX)
SHOTS_DIR=$(mktemp -d /tmp/vorlune-e2e-shots-XXXXXX)
trap cleanup EXIT
root=$GAME_DIR/root
home=$GAME_DIR/home
folder=$home/.local/share/vorlune
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
installed_before=$(cd "$root" && find . -printf '%p %s %T@\n' | sort)
start_display

# The player's own levels: each finished within seconds.
mkdir -p "$folder"
printf '200\n35\n300\n' >"$folder/Level0.vr"
printf '200\n35\n300\n' >"$folder/Level1.vr"

# Starts the installed launcher with the install read-only. Root writes
# through modes, so for root the install is mounted again read-only in a
# mount namespace of the game's own; unshare and the launcher hand their
# process on to the game, so the started process is the game.
start_installed_game() {
  release_keys
  if (($(id -u) == 0)); then
    unshare --mount --propagation private sh -c \
      'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" && exec env HOME="$2" "$1/usr/bin/vorlune"' \
      sh "$root" "$home" >"$GAME_DIR/game.log" 2>&1 &
  else
    chmod -R a-w "$root"
    HOME=$home "$root/usr/bin/vorlune" >"$GAME_DIR/game.log" 2>&1 &
  fi
  GAME_PID=$!
  wait_for_game_window "$GAME_DIR/game.log"
  wait_for_menu 20 || fail "no menu"
}

# Plays the level the menu key starts to its end, then quits.
finish_level_with() {
  press "$1"
  wait_for_white_title 8 || fail "no level banner after $1"
  press Escape
  wait_until 5 shows_menu || fail "Esc did not bring the menu"
  press F3
  wait_for_exit 10
  ((GAME_EXIT == 0)) || fail "exit code $GAME_EXIT"
}

start_installed_game
[[ -L $folder/rock.x && -f $folder/rock.x ]] || fail "the shipped rock model is not linked in"
finish_level_with F1
[[ $(cat "$folder/Data.vrp") == "0.6" ]] || fail "Data.vrp holds '$(cat "$folder/Data.vrp")' after level 0"

# The second start continues at level 1, the player's own short one too.
start_installed_game
finish_level_with F2
[[ $(cat "$folder/Data.vrp") == "2.2" ]] || fail "Data.vrp holds '$(cat "$folder/Data.vrp")' after level 1"
[[ ! -L $folder/Level0.vr && $(cat "$folder/Level0.vr") == $'200\n35\n300' ]] ||
  fail "the player's own Level0.vr did not survive"

chmod -R u+w "$root"
[[ $(cd "$root" && find . -printf '%p %s %T@\n' | sort) == "$installed_before" ]] ||
  fail "something under the install changed"
echo PASS
