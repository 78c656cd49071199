#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and the tools need.
# Does nothing when they are all present already.
set -euo pipefail

packages=(build-essential cmake pkg-config ccache qt6-base-dev libxcb1-dev
  libsdl2-dev zlib1g-dev libavformat-dev libavcodec-dev libavutil-dev libswscale-dev ffmpeg
  libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth imagemagick fonts-dejavu-core
  clang clang-tidy libclang-rt-14-dev)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get -o DPkg::Lock::Timeout=600 update -qq
apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
