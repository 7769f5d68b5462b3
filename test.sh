#!/usr/bin/env bash
# Builds everything and runs the whole test suite headless, under a virtual
# X server with Mesa's software OpenGL and SDL's dummy audio driver. Then the
# unit tests once more in a build with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer, and every fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
jobs=$(nproc)
xvfb=(xvfb-run --auto-servernum --server-args="-screen 0 1280x720x24 -nolisten tcp")
export SDL_AUDIODRIVER=dummy

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-test -j"$jobs"
(cd build-test && "${xvfb[@]}" ctest --output-on-failure --timeout 600)

# The unit tests under the sanitizers, all in one process: any report stops
# the run, and the leak check runs when the process ends. Leaks that belong
# to system libraries are suppressed in tests/sanitizers/lsan.supp. The
# whole-game shell tests are left to the build above.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLUNE_SANITIZE=ON
cmake --build build-asan -j"$jobs" --target vorlune_tests
(
  cd build-asan/tests
  export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:strict_string_checks=1
  export LSAN_OPTIONS=suppressions=$(realpath ../../tests/sanitizers/lsan.supp):print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  "${xvfb[@]}" ./vorlune_tests
)

# Each fuzz target for 30 seconds from seeds made of the shipped content;
# tests/fuzz/run.sh runs them longer by hand.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVORLUNE_FUZZ=ON -DBUILD_TESTING=OFF
cmake --build build-fuzz -j"$jobs" --target fuzz_all
tests/fuzz/run.sh build-fuzz build-test/dist 30
