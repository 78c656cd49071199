#!/usr/bin/env bash
# Runs the tests again under the address and undefined-behaviour sanitizers,
# and the threaded ones under the thread sanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DTAVRIX_SANITIZE=address,undefined -DTAVRIX_BUILD_BENCH=OFF
ctest --test-dir build-asan --output-on-failure -j "$(nproc)"

export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIX_SANITIZE=thread -DTAVRIX_BUILD_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$(nproc)" --target threaded_tests
ctest --test-dir build-tsan --output-on-failure -j "$(nproc)" -L threads
