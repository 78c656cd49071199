#!/usr/bin/env bash
# build.sh <build-dir> [cmake options...]: configures and builds the project.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$dir" "${launcher[@]}" "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
