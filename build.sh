#!/usr/bin/env bash
# Quvarant Setup: install what is missing, build, then run the program or the tests.
#   ./build.sh run    build the programs (not the tests) and launch the desktop program
#   ./build.sh test   build everything and run the whole test suite headless
#   ./build.sh build  only build everything, tests included
#   ./build.sh package  build the .deb (prefix /usr) into build-package/
# Works as root or as a user with sudo (used for apt-get only).
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")"
BUILD_DIR=${QVA_BUILD_DIR:-build}
# What the programs need to build; the tests need the rest.
PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev)
# poppler-utils: pdftotext and pdfinfo read the setup sheet back.
TEST_PACKAGES=(libgtest-dev libgmock-dev man-db poppler-utils)
PROGRAMS=(qva-setup qva-cli qva-device-sim)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# Runs a command as root: directly when we are root, else through sudo. The
# environment is given on the command line, since sudo resets it.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then env "$@"; else sudo "$@"; fi
}

# Installs the missing packages of the lists given, one line per phase; apt's
# own output goes to a log file, named when something fails.
install_missing() {
  local missing=()
  for p in "$@"; do installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  local log
  log=$(mktemp "${TMPDIR:-/tmp}/qva-setup-apt.XXXXXX.log")
  # sudo asks for the password now, on the terminal, not into the log.
  [ "$(id -u)" -eq 0 ] || sudo -v
  echo "Updating the package lists..."
  if ! as_root DEBIAN_FRONTEND=noninteractive apt-get update -q >>"$log" 2>&1; then
    grep '^E:' "$log" | tail -n 3 >&2 || true
    echo "Updating the package lists failed; apt-get's output is in $log" >&2
    exit 1
  fi
  echo "Installing ${#missing[@]} package(s): ${missing[*]}..."
  if ! as_root DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" >>"$log" 2>&1; then
    grep '^E:' "$log" | tail -n 3 >&2 || true
    echo "Installing the packages failed; apt-get's output is in $log" >&2
    exit 1
  fi
  echo "Installed ${#missing[@]} package(s)."
  rm -f "$log"
}

# The desktop program needs a window system; without one Qt only says that
# reinstalling might help.
check_display() {
  case "${QT_QPA_PLATFORM:-}" in offscreen* | minimal* | vnc* | linuxfb* | eglfs*) return 0 ;; esac
  [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] && return 0
  echo "qva-setup needs a display, but neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
  echo "Run it from a desktop session, or on a machine without one under a virtual display:" >&2
  echo "  xvfb-run -a ./build.sh run    (xvfb-run is in the Debian package xvfb)" >&2
  exit 1
}

# Tests are configured when their packages are there (always for test and
# build, which install them).
tests_option() {
  if installed libgtest-dev && installed libgmock-dev; then echo ON; else echo OFF; fi
}

build() {
  # Ninja schedules the two cores better than make; a folder configured
  # earlier keeps its generator.
  local generator=()
  [ -f "$BUILD_DIR/CMakeCache.txt" ] || generator=(-G Ninja)
  cmake -S . -B "$BUILD_DIR" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQVA_BUILD_TESTS="$(tests_option)" ${QVA_CMAKE_ARGS:-} >/dev/null
  local targets=${QVA_BUILD_TARGETS:-}
  if [ -n "${QVA_BUILD_LABELS:-}" ]; then
    # Only the test programs CTest runs for these labels (with the programs
    # they start, which they depend on): each test is named after its
    # program, a shard as program/N.
    targets+=" $(cd "$BUILD_DIR" && ctest -N -L "$QVA_BUILD_LABELS" |
                 sed -n 's@^ *Test *#[0-9]*: \(test_[A-Za-z0-9_]*\).*@\1@p' | sort -u | tr '\n' ' ')"
  fi
  cmake --build "$BUILD_DIR" -j"$(nproc)" ${targets:+--target $targets}
}

case "${1:-}" in
  run)
    check_display
    install_missing "${PACKAGES[@]}"
    # Only the programs: the tests are built by test and build.
    QVA_BUILD_TARGETS=${QVA_BUILD_TARGETS:-${PROGRAMS[*]}}
    build
    exec "$BUILD_DIR/bin/qva-setup"
    ;;
  test)
    install_missing "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build
    cd "$BUILD_DIR"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" ${QVA_CTEST_ARGS:-}
    ;;
  build)
    install_missing "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build
    ;;
  package)
    install_missing "${PACKAGES[@]}" dpkg-dev file
    BUILD_DIR=${QVA_BUILD_DIR:-build-package}
    # Without the tests, everything built is what the package holds.
    QVA_CMAKE_ARGS="-DCMAKE_INSTALL_PREFIX=/usr -DQVA_BUILD_TESTS=OFF ${QVA_CMAKE_ARGS:-}"
    build
    (cd "$BUILD_DIR" && cpack -G DEB)
    ls "$BUILD_DIR"/*.deb
    ;;
  *)
    echo "usage: $0 run|test|build|package" >&2
    exit 2
    ;;
esac
