#!/usr/bin/env bash
# Installs every Debian package the builds and tests need. Safe to run again.
# Usage: scripts/install_deps.sh [native|all]
set -euo pipefail
what=${1:-all}
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

native_pkgs=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev
             libsqlite3-dev zlib1g-dev)
win_pkgs=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
          mingw-w64-i686-dev libz-mingw-w64-dev wine wine32:i386 wine64 xvfb
          imagemagick x11-utils dpkg-dev tcl xz-utils)

pkgs=("${native_pkgs[@]}")
[ "$what" = native ] || pkgs+=("${win_pkgs[@]}")

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$what" != native ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
