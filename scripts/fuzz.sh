#!/usr/bin/env bash
# fuzz.sh [seconds-per-target]   runs every fuzz target for that long (default 60)
# fuzz.sh --smoke                 runs every target over its seeds and a few
#                                 thousand more inputs (under two minutes in all)
#
# Builds the libFuzzer targets with clang in build-fuzz, writes their seeds
# with the project's own code into build-fuzz/seeds, and runs the targets one
# after another at low priority. Long runs keep what they find in
# build-fuzz/corpus/<target>; a crashing input lands in build-fuzz/crashes.
set -euo pipefail
cd "$(dirname "$0")/.."

smoke=false
seconds=60
case "${1:-}" in
  --smoke) smoke=true ;;
  "") ;;
  *[!0-9]* | 0) echo "usage: bash scripts/fuzz.sh [seconds-per-target | --smoke]" >&2; exit 2 ;;
  *) seconds=$1 ;;
esac

bash scripts/install-deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S fuzz -B build-fuzz "${launcher[@]}" >/dev/null
nice -n 10 cmake --build build-fuzz -j "$(nproc)"
rm -rf build-fuzz/seeds
build-fuzz/make_seeds build-fuzz/seeds
mkdir -p build-fuzz/crashes

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
targets=(decode vvf_reader stream_cutter login_reply)
failed=()
for target in "${targets[@]}"; do
  if $smoke; then
    # New inputs go to a scratch folder; the seeds stay as generated.
    corpus=$(mktemp -d)
    limits=(-runs=3000 -max_total_time=25 -seed=1)
  else
    corpus=build-fuzz/corpus/$target
    mkdir -p "$corpus"
    limits=(-max_total_time="$seconds")
  fi
  log=build-fuzz/$target.log
  status=0
  nice -n 10 "build-fuzz/${target}_fuzzer" "$corpus" "build-fuzz/seeds/$target" "${limits[@]}" -timeout=10 \
    -artifact_prefix="build-fuzz/crashes/$target-" -print_final_stats=1 >"$log" 2>&1 || status=$?
  $smoke && rm -rf "$corpus"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -E '^#[0-9]+.*(DONE|INITED)' "$log" | tail -n 1 | grep -oE 'cov: [0-9]+ ft: [0-9]+' || true)
  if [ "$status" -eq 0 ]; then
    echo "fuzz $target: ${runs:-?} runs, ${coverage:-no coverage line}"
  else
    echo "fuzz $target: FAILED after ${runs:-?} runs (log: $log)" >&2
    grep -E '^(==[0-9]+==ERROR|SUMMARY|[a-z_]+_fuzzer: )|Test unit written' "$log" >&2 || tail -n 20 "$log" >&2
    failed+=("$target")
  fi
done
[ ${#failed[@]} -eq 0 ] || { echo "fuzz: failed: ${failed[*]}" >&2; exit 1; }
