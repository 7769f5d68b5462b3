#!/usr/bin/env bash
# Builds everything and runs the whole test suite headless, under a virtual
# X server with Mesa's software OpenGL and SDL's dummy audio driver. Beside
# it, at lower priority, a clang build with AddressSanitizer, LeakSanitizer,
# UndefinedBehaviorSanitizer and libFuzzer's coverage runs the unit tests
# once more; then every fuzz target tries a fixed number of inputs. Ends with the
# time each stage took.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc)
# -noreset: the server would otherwise start afresh each time its last client
# leaves, and a test connecting just then, on a busy machine, finds no display.
xvfb=(xvfb-run --auto-servernum --server-args="-screen 0 1280x720x24 -nolisten tcp -noreset")
export SDL_AUDIODRIVER=dummy
# Every test runs on an X server of its own or on a Wayland compositor it
# starts itself, never on the desktop this script was started from.
unset WAYLAND_DISPLAY

times=$(mktemp)
trap 'rm -f "$times"' EXIT
# Runs a stage and notes how long it took; the note survives a failure.
stage() {
  local name=$1 start=$SECONDS status=0
  shift
  "$@" || status=$?
  printf '%-30s %5d s%s\n' "$name" $((SECONDS - start)) "$( ((status == 0)) || echo "  FAILED")" >>"$times"
  return "$status"
}

stage "install packages" scripts/install-deps.sh --tests

# The sanitizer build and its unit run, in the background at lower
# priority: the tests of the normal build keep their speed, and the build
# fills the cores they leave.
sanitizer_stages() {
  set -e
  stage "sanitizer: configure" env CC=clang CXX=clang++ cmake -S . -B build-san \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLUNE_SANITIZE=ON -DVORLUNE_FUZZ=ON \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -gline-tables-only -DNDEBUG"
  stage "sanitizer: build" cmake --build build-san -j"$jobs" --target vorlune_tests fuzz_all
  # The unit tests in two processes side by side, each on an X server of
  # its own: the level pilot and its replays, everything else in the other. Any
  # report stops a process, and the leak check runs when each ends. Leaks
  # that belong to system libraries are suppressed in tests/sanitizers/lsan.supp.
  (
    cd build-san/tests
    export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:strict_string_checks=1
    export LSAN_OPTIONS=suppressions=$(realpath ../../tests/sanitizers/lsan.supp):print_suppressions=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    stage "sanitizer: unit tests" sanitizer_unit_tests "$pilot_tests"
  )
}
sanitizer_unit_tests() {
  local display=../../scripts/with-own-display.sh status=0 pid
  "$display" ./vorlune_tests --gtest_filter="$1" >pilot.log 2>&1 &
  pid=$!
  "$display" ./vorlune_tests --gtest_filter="-$1" 2>&1 | tee rest.log || status=$?
  wait "$pid" || { status=1; cat pilot.log; }
  tail -n 3 pilot.log
  # A skipped test never ran: here that is a failure.
  if grep -h -A1 "Skipped$" pilot.log rest.log | grep -v "^--$"; then
    echo "FAILED: tests were skipped"
    status=1
  fi
  return "$status"
}
pilot_tests=EveryLevel.IsFinishedFromAFreshStartWithArrowsPickupsAndRockets:EveryLevel.PilotRunsPlayBackAsRecorded
mkdir -p build-san
sanitizer_log=build-san/stages.log
# A process group of its own, to stop it all should this script be stopped;
# but the same session, where the lower priority counts against the tests.
set -m
nice -n 10 bash -c "set -o pipefail; $(declare -f stage sanitizer_stages sanitizer_unit_tests); $(declare -p jobs times pilot_tests); sanitizer_stages" \
  >"$sanitizer_log" 2>&1 &
sanitizer_pid=$!
set +m
trap 'kill -- -$sanitizer_pid 2>/dev/null; rm -f "$times"' EXIT

status=0
# Line tables are all the debug information a failure's stack needs, and
# they compile in two thirds of the time full information takes.
stage "configure" cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" || status=$?
((status != 0)) || stage "build" cmake --build build-test -j"$jobs" || status=$?
# ctest counts a skipped test as passed; here it is a failure, named with its reason.
ctest_without_skips() {
  local status=0 name
  "$@" 2>&1 | tee ctest.log || status=$?
  for name in $(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (Skipped)$/\1/p' ctest.log); do
    echo "FAILED: $name was skipped:"
    "$@" -R "^${name}\$" -V 2>&1 | grep -A1 "Skipped$" | grep -v "^--$" || true
    status=1
  done
  return "$status"
}
((status != 0)) || (cd build-test && stage "tests" ctest_without_skips "${xvfb[@]}" ctest --output-on-failure) || status=$?

sanitizer_status=0
wait "$sanitizer_pid" || sanitizer_status=$?
trap 'rm -f "$times"' EXIT
echo
echo "=== The sanitizer build and its unit run ==="
cat "$sanitizer_log"
((sanitizer_status == 0)) || status=1

# Each fuzz target replays its seeds, made of the shipped content, and its
# kept findings, then tries 200000 inputs from a fixed seed (the slowest
# target about half a minute), once the cores are free: the same commit
# always gives the same result. tests/fuzz/run.sh explores longer by hand.
if ((sanitizer_status == 0)); then
  stage "fuzzing" env FUZZ_JOBS="$jobs" FUZZ_RUNS=200000 tests/fuzz/run.sh build-san build-san/dist || status=1
fi

echo
echo "=== Time per stage (the sanitizer build and unit run ran beside the build and tests) ==="
cat "$times"
printf '%-30s %5d s\n' "all" "$SECONDS"
exit "$status"
