#!/usr/bin/env bash
# Fails when a source file includes from a folder above its own layer.
# Layers, bottom to top (a folder may include from its own rank and below):
#   platform < config < ui < tables < comms < editors = viewer < app
# cli/ and sim/ stand beside app: they may use every layer below it.
# Usage: check-layers.sh [PROJECT_ROOT]
set -euo pipefail
cd "${1:-$(dirname "${BASH_SOURCE[0]}")/..}"

rank() {
  case "$1" in
    platform) echo 0 ;; config) echo 1 ;; ui) echo 2 ;; tables) echo 3 ;; comms) echo 4 ;;
    editors|viewer) echo 5 ;; app|cli|sim) echo 6 ;; *) echo "" ;;
  esac
}

bad=0
while IFS= read -r file; do
  case "$file" in
    src/*) folder=${file#src/}; folder=${folder%%/*} ;;
    cli/*) folder=cli ;;
    sim/*) folder=sim ;;
    *) continue ;;
  esac
  own=$(rank "$folder")
  [ -n "$own" ] || { echo "$file: folder '$folder' has no layer"; bad=1; continue; }
  while IFS= read -r line; do
    target=$(sed -E 's/^[0-9]+:#include "([a-z]+)\/.*/\1/' <<<"$line")
    their=$(rank "$target")
    [ -n "$their" ] || continue
    # cli and sim are programs beside app: they never include app or each other.
    if [ "$their" -gt "$own" ] || { [ "$own" -eq 6 ] && [ "$their" -eq 6 ] && [ "$target" != "$folder" ]; }; then
      echo "$file:${line%%:*}: $folder includes from $target"
      bad=1
    fi
  done < <(grep -n -E '^#include "[a-z]+/' "$file" || true)
done < <(find src cli sim -name '*.h' -o -name '*.cpp' | sort)

if [ "$bad" -ne 0 ]; then
  echo "Includes must point down the layers."
  exit 1
fi
echo "Includes point down the layers."
