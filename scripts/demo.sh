#!/usr/bin/env bash
# Installs what is missing, builds, makes the demo recording and shows what is in it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
mkdir -p out
echo "tavrix: built; the demo recording arrives with the storage commands"
