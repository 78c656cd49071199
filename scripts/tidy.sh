#!/usr/bin/env bash
# tidy.sh [paths...]: runs clang-tidy with the checks of .clang-tidy over the
# project's sources in the compile database of build/ (or $TIDY_BUILD_DIR),
# only those under the given files or folders when any are given, and fails
# on any finding. Headers are checked where they lie under the same paths.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${TIDY_BUILD_DIR:-build}
bash scripts/install-deps.sh
if [ ! -f "$build/compile_commands.json" ]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$build" "${launcher[@]}" >/dev/null
fi

# Every project folder by default; otherwise the given paths, as regular
# expressions anchored at the repository root.
paths=("$@")
if [ ${#paths[@]} -eq 0 ]; then
  paths=(platform media storage codec audio picture net export engine video cli ui app tests bench fuzz)
fi
patterns=()
for path in "${paths[@]}"; do
  path=$(realpath -m "$path")
  path=${path#"$root"/}
  patterns+=("$(printf '%s' "$path" | sed 's/[.[\*^$()+?{|]/\\&/g')")
done
alternatives=$(IFS='|'; echo "${patterns[*]}")
regex="^$root/($alternatives)(/|\$)"

run-clang-tidy -quiet -p "$build" -j "$(nproc)" -header-filter="$regex" "$regex"
