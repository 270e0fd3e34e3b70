#!/usr/bin/env bash
# Builds the .deb and checks what it installs: the desktop entry
# (desktop-file-validate, which exits 0 even on errors, so any line it
# prints fails), the AppStream metainfo and the package itself (lintian,
# errors fail). Installs the checkers when missing.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

need=()
command -v desktop-file-validate >/dev/null || need+=(desktop-file-utils)
command -v appstreamcli >/dev/null || need+=(appstream)
command -v lintian >/dev/null || need+=(lintian)
if [ ${#need[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}" >/dev/null
fi

./build.sh package >/dev/null
BUILD=${QVA_BUILD_DIR:-build-package}
deb=$(ls -t "$BUILD"/qva-setup_*.deb | head -n 1)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

echo "== desktop-file-validate"
out=$(desktop-file-validate "$root"/usr/share/applications/*.desktop 2>&1 || true)
if [ -n "$out" ]; then echo "$out"; exit 1; fi
echo "clean"

echo "== appstreamcli validate"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml

echo "== lintian $(basename "$deb")"
lintian --fail-on error "$deb"
echo "Package checks passed."
