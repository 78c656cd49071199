#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/check-layers.sh
bash scripts/build.sh build -DTAVRIX_WARNINGS_AS_ERRORS=ON
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
ctest --test-dir build --output-on-failure -j "$(nproc)"
# Every fuzz target over its seeds and a few thousand more inputs.
bash scripts/fuzz.sh --smoke
