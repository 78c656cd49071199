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

echo "live: the DVR simulator on loopback, its stream recorded for 3 seconds:"
rm -f out/live.vvf
build/cli/tavrix dvr-sim --port 0 --seconds 6 > out/dvr-sim.log &
simulator=$!
trap 'kill "$simulator" 2>/dev/null || true' EXIT
for _ in $(seq 50); do grep -q 'DVR on' out/dvr-sim.log && break; sleep 0.1; done
port=$(sed -n 's/.*DVR on 127\.0\.0\.1:\([0-9]*\).*/\1/p' out/dvr-sim.log)
build/cli/tavrix record --ip 127.0.0.1 --port "$port" --out out/live.vvf --seconds 3
build/cli/tavrix info out/live.vvf
