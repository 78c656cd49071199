#!/usr/bin/env bash
# check-layers.sh: fails when a folder includes a folder above it. Each folder
# lists the folders it may include; tests/, bench/ and fuzz/ may include any.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A may_include=(
  [platform]=""
  [media]="platform"
  [storage]="platform media"
  [codec]="platform media"
  [audio]="platform media"
  [picture]="platform media"
  [net]="platform media storage codec audio"
  [export]="platform media storage codec audio picture"
  [engine]="platform media storage codec audio picture net export"
  [video]="platform media storage codec audio picture net export engine"
  [cli]="platform media storage codec audio picture net export engine video"
  [ui]="platform media storage picture"
  [app]="platform media storage codec audio picture net export engine video ui"
)

status=0
for folder in "${!may_include[@]}"; do
  [ -d "$folder" ] || continue
  allowed=" $folder ${may_include[$folder]} "
  while IFS=: read -r file line include; do
    target=${include#*\"}
    target=${target%%/*}
    if [[ "$allowed" != *" $target "* ]]; then
      echo "check-layers: $file:$line includes \"${include#*\"}, a folder above $folder" >&2
      status=1
    fi
  done < <(grep -rnE --include='*.h' --include='*.cpp' '^#include "[a-z_]+/' "$folder" || true)
done
# One include path per target: a global one would hide an undeclared dependency.
if grep -nE '^\s*include_directories\(' CMakeLists.txt */CMakeLists.txt >/dev/null 2>&1; then
  echo "check-layers: a global include_directories() is set; give each target its own" >&2
  status=1
fi
[ $status -eq 0 ] && echo "check-layers: every folder includes only folders below it"
exit $status
