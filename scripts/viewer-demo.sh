#!/usr/bin/env bash
# viewer-demo.sh RECORDING: opens the viewer window on the recording. With a
# display it stays open for the user; without one it runs under Xvfb for a
# few seconds and leaves a screenshot in out/viewer.png.
set -euo pipefail
cd "$(dirname "$0")/.."
recording=$1
viewer=build/app/tavrix-viewer
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$viewer" "$recording" &
  echo "the viewer window plays $recording"
  exit 0
fi
mkdir -p out
# No sound card either, most likely: play silently rather than say so in a box.
[ -e /dev/snd ] || export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
xvfb-run -a -s "-screen 0 800x640x24" bash -c '
  "$1" "$2" 2>out/viewer.log &
  viewer=$!
  sleep 4
  import -window root -crop 645x548+77+46 +repage out/viewer.png
  kill "$viewer"
  wait "$viewer" 2>/dev/null || true
' _ "$viewer" "$recording"
echo "no display: the viewer ran under Xvfb; its picture is out/viewer.png"
