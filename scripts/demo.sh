#!/usr/bin/env bash
# Installs what is missing, builds, makes the demo recording and shows what is in it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
mkdir -p out
build/cli/tavrix make-sample out/sample.vvf --seconds 10
build/cli/tavrix info out/sample.vvf
echo "frames of the first 30 kB (byte offset, kind, channel, length, block time):"
build/cli/tavrix frames out/sample.vvf --to 30000
build/cli/tavrix audio out/sample.vvf --out out/sample-sound.wav
