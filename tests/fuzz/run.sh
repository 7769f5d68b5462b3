#!/usr/bin/env bash
# Runs every fuzz target from seeds made of the game's own content and the
# inputs kept in tests/fuzz/regressions/, and prints one line per target. A
# finding stops with the input that caused it kept under
# <fuzz build>/fuzz-findings/.
#
#   tests/fuzz/run.sh <fuzz build> <game folder> [seconds per target] [target...]
#
# By default a target fuzzes for the given time from a random seed, and its
# corpus grows from run to run: for exploring. With FUZZ_RUNS=n it replays
# the seeds and regressions and then tries exactly n inputs from the fixed
# seed FUZZ_SEED (default 1), from a fresh corpus: one commit, one result,
# as ./test.sh runs it. For that, nothing may depend on the clock or on
# where memory lies: addresses compared in the code feed libFuzzer's
# mutations, so such a run has no address randomisation, and neither
# rereads its corpus nor purges its allocator by the second.
# FUZZ_JOBS=n runs n targets at a time (default 1), each on a core of its own.
set -euo pipefail

build=$(realpath "$1")
game=$(realpath "$2")
seconds=${3:-30}
shift $(($# < 3 ? $# : 3))
targets=("$@")
# The slowest first, so that with FUZZ_JOBS=2 the rest fit beside it.
((${#targets[@]} > 0)) || targets=(x_mesh level_files replay_file progress_file version_file update_signature)
jobs=${FUZZ_JOBS:-1}
runs=${FUZZ_RUNS:-}
seed=${FUZZ_SEED:-1}

seeds=$build/fuzz-seeds
corpus=$build/fuzz-corpus
findings=$build/fuzz-findings
logs=$build/fuzz-logs
regressions=$build/fuzz-regressions
if [[ -n "$runs" ]]; then
  corpus=$build/fuzz-corpus-reproducible
  rm -rf "$corpus"
fi
mkdir -p "$corpus" "$findings" "$logs"
"$build/tests/fuzz/make_fuzz_seeds" "$game" "$seeds"
# Replays: the pilots' recorded runs, a crash, a short level and the densest.
mkdir -p "$seeds/replay_file"
for run in crash level-0 level-20; do
  cp "$(dirname "$0")/../replays/fresh-start-$run.replay" "$seeds/replay_file/"
done
# Each target's kept findings, named <target>-<what>.
rm -rf "$regressions"
for target in "${targets[@]}"; do
  mkdir -p "$regressions/$target"
  for input in "$(dirname "$0")/regressions/$target"-*; do
    [[ -e "$input" ]] && cp "$input" "$regressions/$target/"
  done
done

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# System libraries' own leaks, kept for the life of the process, are listed there.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$(realpath "$(dirname "$0")/../sanitizers/lsan.supp"):print_suppressions=0}

# A reproducible run starts each target with arguments and an environment of
# the same length wherever the build lies and whatever the caller's
# environment holds: they lie at the top of the stack, and where the stack
# lies feeds the mutations as well. The build is reached through a link in
# a folder whose name always has the same length.
top=$build
fixed=()
if [[ -n "$runs" ]]; then
  place=$(mktemp -d /tmp/vorlune-fuzz-XXXXXX)
  trap 'rm -rf "$place"' EXIT
  ln -s "$build" "$place/b"
  top=$place/b
  ln -s "$(realpath "$(dirname "$0")/../sanitizers/lsan.supp")" "$place/lsan.supp"
  fixed=(env -i PATH=/usr/bin:/bin "ASAN_OPTIONS=$ASAN_OPTIONS" "UBSAN_OPTIONS=$UBSAN_OPTIONS"
    "LSAN_OPTIONS=suppressions=$place/lsan.supp:print_suppressions=0"
    setarch "$(uname -m)" --addr-no-randomize)
fi

# Runs one target and leaves "clean" or "finding" beside its log.
fuzz_target() {
  local target=$1
  mkdir -p "$corpus/$target"
  # The corpus grows; the seeds and regressions are only read.
  local bound=(-max_total_time="$seconds")
  [[ -n "$runs" ]] && bound=(-runs="$runs" -seed="$seed" -reload=0 -purge_allocator_interval=-1)
  if (cd "${place:-.}" && exec "${fixed[@]}" "$top/tests/fuzz/fuzz_$target" "$top/${corpus#"$build"/}/$target" \
    "$top/fuzz-seeds/$target" "$top/fuzz-regressions/$target" "${bound[@]}" -rss_limit_mb=2048 \
    -timeout=25 -print_final_stats=1 -artifact_prefix="$top/fuzz-findings/$target-") \
    >"$logs/$target.log" 2>&1; then
    echo clean >"$logs/$target.result"
  else
    echo finding >"$logs/$target.result"
  fi
}

for target in "${targets[@]}"; do
  rm -f "$logs/$target.result"
  while (($(jobs -rp | wc -l) >= jobs)); do wait -n || true; done
  fuzz_target "$target" &
done
wait

status=0
printf '%-17s %10s %8s %8s %9s  %s\n' target runs exec/s cov features result
for target in "${targets[@]}"; do
  log=$logs/$target.log
  result=$(cat "$logs/$target.result" 2>/dev/null || echo "did not run")
  [[ $result == clean ]] || result="FINDING (see $log)"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  # A finding among the seeds comes before any coverage line.
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2 || true)
  features=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2 || true)
  printf '%-17s %10s %8s %8s %9s  %s\n' "$target" "${runs:-?}" "${speed:-?}" "${cov:-?}" \
    "${features:-?}" "$result"
  if [[ $result != clean ]]; then
    status=1
    tail -n 40 "$log"
    echo "libFuzzer's seed: $(sed -n 's/.*Seed: \([0-9]*\).*/\1/p' "$log" | head -n 1)"
  fi
done
exit "$status"
