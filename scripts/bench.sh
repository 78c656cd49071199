#!/usr/bin/env bash
# bench.sh [filter]: builds and runs every benchmark (optionally only those matching the filter).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
for bench in build/bench/*/*_bench; do
  [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  "$bench" ${1:+--benchmark_filter="$1"}
done
