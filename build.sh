#!/usr/bin/env bash
# Quvarant Setup: install what is missing, build, then run the program or the tests.
#   ./build.sh run    build and launch the desktop program
#   ./build.sh test   build and run the whole test suite headless
#   ./build.sh build  only build
#   ./build.sh package  build the .deb (prefix /usr) into build-package/
# Works as root or as a user with sudo (used for apt-get only).
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")"
BUILD_DIR=${QVA_BUILD_DIR:-build}
PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
          libgl-dev libgtest-dev libgmock-dev)
# What the tests run besides the programs: pdftotext and pdfinfo read the
# setup sheet back.
TEST_PACKAGES=(poppler-utils)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

build() {
  # Ninja schedules the two cores better than make; a folder configured
  # earlier keeps its generator.
  local generator=()
  [ -f "$BUILD_DIR/CMakeCache.txt" ] || generator=(-G Ninja)
  cmake -S . -B "$BUILD_DIR" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${QVA_CMAKE_ARGS:-} >/dev/null
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
    install_missing
    build
    exec "$BUILD_DIR/bin/qva-setup"
    ;;
  test)
    PACKAGES+=("${TEST_PACKAGES[@]}")
    install_missing
    build
    cd "$BUILD_DIR"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" ${QVA_CTEST_ARGS:-}
    ;;
  build)
    PACKAGES+=("${TEST_PACKAGES[@]}")
    install_missing
    build
    ;;
  package)
    PACKAGES+=(dpkg-dev file)
    install_missing
    BUILD_DIR=${QVA_BUILD_DIR:-build-package}
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
