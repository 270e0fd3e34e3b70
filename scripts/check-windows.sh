#!/usr/bin/env bash
# Compiles every source of src/ and cli/ for Windows with MinGW-w64 against
# the Qt headers, syntax only: the Windows code paths (the native registry,
# COM port names, Windows error texts, the single-instance guard, the serial
# port) are checked by a compiler on every change, so they cannot rot
# unseen. Nothing is linked or run on Windows; the Qt headers are Debian's
# (configured for Linux), which is enough for the compiler to see every
# Windows-only line of ours.
# Usage: check-windows.sh [BUILD_DIR [SOURCE...]]   (a configured build
# folder for the generated headers: the .ui forms and the version header;
# by default every source is compiled)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
BUILD_DIR=${1:-build}
shift || true
CXX=x86_64-w64-mingw32-g++-posix

if ! command -v "$CXX" >/dev/null; then
  echo "Installing the MinGW-w64 compiler (g++-mingw-w64-x86-64-posix)"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  log=$(mktemp)
  if ! { $sudo apt-get update -qq && $sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
           g++-mingw-w64-x86-64-posix; } >"$log" 2>&1; then
    echo "Installing the MinGW-w64 compiler failed; apt's output is in $log" >&2
    exit 1
  fi
  rm -f "$log"
fi

QT=$(qmake6 -query QT_INSTALL_HEADERS 2>/dev/null || echo /usr/include/x86_64-linux-gnu/qt6)
[ -d "$BUILD_DIR/generated" ] || { echo "No configured build in $BUILD_DIR (run ./build.sh build first)" >&2; exit 1; }
includes=(-Isrc -Icli -I"$BUILD_DIR/generated")
for dir in "$BUILD_DIR"/src/*_autogen/include "$BUILD_DIR"/cli/*_autogen/include; do
  [ -d "$dir" ] && includes+=(-I"$dir")
done
for module in "" QtCore QtGui QtWidgets QtSerialPort QtNetwork; do
  includes+=(-isystem "$QT/$module")
done

# One source: its errors, or nothing.
compile_one() {
  local errors
  if ! errors=$("$CXX" -std=c++20 -fsyntax-only -Wall -Wextra -DUNICODE -D_UNICODE -DQT_NO_DEBUG \
                  "${includes[@]}" "$1" 2>&1); then
    printf '== %s\n%s\n' "$1" "$errors"
    return 1
  fi
}
export -f compile_one
export CXX
export includes_list="${includes[*]}"

if [ $# -gt 0 ]; then sources=("$@"); else mapfile -t sources < <(find src cli -name '*.cpp' | sort); fi
# Both cores: one compiler per core; xargs exits non-zero when any failed.
status=0
printf '%s\0' "${sources[@]}" |
  xargs -0 -n 1 -P "$(nproc)" bash -c 'read -r -a includes <<<"$includes_list"; compile_one "$0"' || status=$?
if [ "$status" -ne 0 ]; then
  echo "Windows compile check: ${#sources[@]} sources, some failed (above)."
  exit 1
fi
echo "Windows compile check: ${#sources[@]} sources compiled."
