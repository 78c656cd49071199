#!/usr/bin/env bash
# Installs what is missing, builds, makes the demo recording, opens the viewer
# window on it and shows what the tavrix tool finds in it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
mkdir -p out
# Without a sound card playback goes on silently; SDL's dummy driver then
# keeps the sound libraries from filling the terminal with their complaints.
[ -e /dev/snd ] || export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
build/cli/tavrix make-sample out/demo.VVF --seconds 10
bash scripts/viewer-demo.sh out/demo.VVF
build/cli/tavrix info out/demo.VVF
echo "frames of the first 30 kB (byte offset, kind, channel, length, block time):"
build/cli/tavrix frames out/demo.VVF --to 30000
rm -rf out/demo-ch1
build/cli/tavrix decode out/demo.VVF --channel 1 --out out/demo-ch1 --to 120000
echo "the first pictures of channel 1 are PNG files in out/demo-ch1/"
build/cli/tavrix audio out/demo.VVF --out out/demo-sound.wav

echo "live: the DVR simulator on loopback, its stream recorded for 3 seconds:"
rm -f out/live.vvf
build/cli/tavrix dvr-sim --port 0 --seconds 6 > out/dvr-sim.log &
simulator=$!
trap 'kill "$simulator" 2>/dev/null || true' EXIT
for _ in $(seq 50); do grep -q 'DVR on' out/dvr-sim.log && break; sleep 0.1; done
port=$(sed -n 's/.*DVR on 127\.0\.0\.1:\([0-9]*\).*/\1/p' out/dvr-sim.log)
build/cli/tavrix record --ip 127.0.0.1 --port "$port" --out out/live.vvf --seconds 3
build/cli/tavrix info out/live.vvf

echo "playback: the real engine, headless, at 8x for 3 seconds:"
build/cli/tavrix play out/demo.VVF --speed 8 --seconds 3
echo "export: all four channels as tiles with captions and sound:"
build/cli/tavrix export out/demo.VVF --out out/demo.avi --codec mjpeg
echo "done: out/demo.VVF, out/demo-ch1/, out/demo-sound.wav, out/live.vvf, out/demo.avi"
