#!/usr/bin/env bash
# Renders the main window and every dialog of the desktop program under Xvfb
# into docs/screenshots/*.png (shown by the README, named by the metainfo).
# Run it again when a window changes. Needs xvfb (installed when missing).
#   scripts/screenshots.sh [--build DIR]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
BUILD=${QVA_BUILD_DIR:-build}
[ "${1:-}" = "--build" ] && BUILD=$2

if ! command -v xvfb-run >/dev/null; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq xvfb
fi
QVA_BUILD_DIR=$BUILD QVA_BUILD_TARGETS=qva-screenshots ./build.sh build

# A throwaway home: the windows show default settings, never yours.
home=$(mktemp -d -t qva-screenshots-XXXXXX)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/Documents"
HOME=$home XDG_CONFIG_HOME=$home/.config XDG_RUNTIME_DIR=$home QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD/bin/qva-screenshots" docs/screenshots
