#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them all on the real OpenGL device,
# each printing one table; then runs the reference floor program under the
# same X server for comparison, and sets the figures beside their goals.
#
#   bench/run.sh              # build into build-bench/, run everything
#   BUILD_DIR=... bench/run.sh
#
# Without DISPLAY it starts its own Xvfb at 1280x720x24. Sound goes to SDL's
# dummy driver. The figures only mean something on a quiet machine: the
# tables show how much CPU the X server and other processes used meanwhile.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
build=${BUILD_DIR:-$repo/build-bench}
floor_source=${FLOOR_SOURCE:-}
if [[ -z "$floor_source" ]]; then
  for candidate in "$repo/../shared/floor" /work/shared/floor; do
    [[ -f "$candidate/scene.c" ]] && floor_source=$candidate && break
  done
fi

export SDL_AUDIODRIVER=dummy
work=$(mktemp -d /tmp/vorlune-bench-run-XXXXXX)
summary="$work/summary.txt"
export BENCH_SUMMARY="$summary"
xvfb_pid=""
floor_pid=""
cleanup() {
  if [[ -n "$floor_pid" ]]; then kill "$floor_pid" 2>/dev/null || true; fi
  if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "== building the benchmarks into $build"
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target benchmarks >/dev/null

if [[ -z "${DISPLAY:-}" ]]; then
  Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  export BENCH_XSERVER_PID=$xvfb_pid
  for _ in $(seq 1 100); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
  done
  DISPLAY=":$(cat "$work/display")"
  export DISPLAY
fi

echo
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg), display $DISPLAY"

bench="$build/bench"
dist="$build/dist"
"$bench/bench_content" "$dist"
"$bench/bench_startup" "$dist"
# BENCH_FRAMES_OPTIONS passes options on, e.g. --default-heap.
# shellcheck disable=SC2086
"$bench/bench_frames" "$dist" ${BENCH_FRAMES_OPTIONS:-}
"$bench/bench_pacing" "$dist" --game "$dist/Game"
"$bench/bench_pixels" "$dist"

# The floor: a minimal program drawing comparable content, measured the same
# way (whole-process CPU per presented frame, at its 16 ms cap).
floor_table() {
  local scenes=(0 1 3)
  local names=("0: clear only" "1: sky dome" "3: sky, 50 rocks, ship, 240 sprites, text")
  echo
  echo "Floor program (minimal SDL2 + GL 3.3 scenes, --mallopt --nofinish, 12 s each; ms)"
  echo
  echo "| scene                                     |  fps | CPU/frame | faults/frame | peak MB | X server % | others % |"
  echo "|-------------------------------------------|------|-----------|--------------|---------|------------|----------|"
  local i
  for i in "${!scenes[@]}"; do
    local busy0 busy1 ours server0=0 server1=0
    busy0=$(awk '/^cpu /{print $2+$3+$4+$7+$8+$9}' /proc/stat)
    if [[ -n "$xvfb_pid" ]]; then server0=$(awk '{print $14+$15}' "/proc/$xvfb_pid/stat"); fi
    "$work/floor/scene" "${scenes[$i]}" --mallopt --nofinish >"$work/floor.out" 2>/dev/null &
    floor_pid=$!
    sleep 12
    local peak
    peak=$(awk '/VmHWM/{printf "%.1f", $2/1024}' "/proc/$floor_pid/status")
    ours=$(awk '{print $14+$15}' "/proc/$floor_pid/stat")
    kill -TERM "$floor_pid"
    wait "$floor_pid" || true
    floor_pid=""
    busy1=$(awk '/^cpu /{print $2+$3+$4+$7+$8+$9}' /proc/stat)
    if [[ -n "$xvfb_pid" ]]; then server1=$(awk '{print $14+$15}' "/proc/$xvfb_pid/stat"); fi
    local fps cpu faults others server="?"
    fps=$(sed -n 's/.*= \([0-9.]*\) fps.*/\1/p' "$work/floor.out")
    cpu=$(sed -n 's/.*process CPU \([0-9.]*\) ms\/frame.*/\1/p' "$work/floor.out")
    faults=$(sed -n 's/.*page faults \([0-9.]*\) per frame.*/\1/p' "$work/floor.out")
    others=$(awk -v a="$busy0" -v b="$busy1" -v o="$ours" -v x=$((server1 - server0)) -v hz="$(getconf CLK_TCK)" \
      'BEGIN{v=(b-a-o-x)/hz/12*100; if (v<0) v=0; printf "%.0f", v}')
    if [[ -n "$xvfb_pid" ]]; then
      server=$(awk -v x=$((server1 - server0)) -v hz="$(getconf CLK_TCK)" 'BEGIN{printf "%.0f", x/hz/12*100}')
    fi
    printf "| %-41s | %4s | %9s | %12s | %7s | %10s | %8s |\n" "${names[$i]}" "$fps" "$cpu" "$faults" "$peak" "$server" "$others"
    echo "floor.${scenes[$i]}.cpu=$cpu" >>"$summary"
    echo "floor.${scenes[$i]}.peak_mb=$peak" >>"$summary"
  done
}

if [[ -n "$floor_source" ]] && cp -r "$floor_source" "$work/floor" && make -s -C "$work/floor" scene >/dev/null 2>&1; then
  floor_table
else
  echo
  echo "(no floor program: set FLOOR_SOURCE to the folder holding scene.c)"
fi

# The figures beside their goals.
value() { sed -n "s/^$1=//p" "$summary" | tail -n 1; }
goal() {  # name, measured, comparison, limit, unit
  local verdict
  if [[ -z "$2" ]]; then verdict="not measured"
  elif awk -v m="$2" -v l="$4" -v c="$3" 'BEGIN{exit !((c=="<=" && m<=l) || (c==">=" && m>=l))}'; then verdict="met"
  else verdict="MISSED"; fi
  local shown="$2"
  if [[ -n "$2" ]]; then shown=$(printf "%.2f" "$2"); fi
  printf "| %-60s | %10s | %3s %-10s | %-12s |\n" "$1" "$shown" "$3" "$4 $5" "$verdict"
}
echo
echo "Goals"
echo
echo "| goal                                                         |   measured | limit          | verdict      |"
echo "|--------------------------------------------------------------|------------|----------------|--------------|"
goal "menu: whole-process CPU per paced frame (with music)" "$(value pacing.cpu_per_frame)" "<=" 8.4 ms
goal "menu: frames per second, paced" "$(value pacing.fps)" ">=" 58 fps
floor3=$(value floor.3.cpu)
gameover=$(value frames.2.paced_cpu)
if [[ -n "$floor3" && -n "$gameover" ]]; then
  ratio=$(awk -v g="$gameover" -v f="$floor3" 'BEGIN{printf "%.2f", g/f}')
  goal "game over: CPU per paced frame / floor scene 3" "$ratio" "<=" 1.15 x
fi
goal "playing (Level20, explosion): paced frames per second" "$(value frames.1.paced_fps)" ">=" 55 fps
goal "page faults per frame, menu loop (its first 11 s)" "$(value pacing.faults)" "<=" 1 ""
goal "page faults per frame, each screen paced after warm-up (max)" \
  "$(sed -n 's/^frames\.[0-9]*\.paced_faults=//p' "$summary" | sort -g | tail -n 1)" "<=" 1 ""
goal "peak resident memory of the Game binary" "$(value game.peak_mb)" "<=" 100 MB
goal "mean frame interval, menu loop (lower bound)" "$(value pacing.mean)" ">=" 16.0 ms
goal "mean frame interval, menu loop (upper bound)" "$(value pacing.mean)" "<=" 17.0 ms
goal "p99 frame interval, menu loop" "$(value pacing.p99)" "<=" 18 ms
goal "menu loop: main thread CPU % of a core (no busy wait)" "$(value pacing.main_thread_percent)" "<=" 25 %
goal "launch to first menu frame (median)" "$(value startup.first_menu_ms)" "<=" 600 ms
