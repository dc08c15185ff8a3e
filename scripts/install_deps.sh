#!/usr/bin/env bash
# Installs every Debian package the builds and tests need. Safe to run again.
# Wine's 32-bit part (wine32:i386) is installed only where the kernel runs
# 32-bit programs; where it cannot be had, the 32-bit suites are skipped and
# scripts/test.sh says why.
# Usage: scripts/install_deps.sh [native|all]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-all}
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

native_pkgs=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev
             libsqlite3-dev zlib1g-dev libpugixml-dev libssl-dev libcurl4-openssl-dev sqlite3 python3)
# The real browsers whose profiles the evidence cleaner is checked against
# (scripts/browser_check.sh); without them that check says SKIPPED.
browser_pkgs=(firefox-esr chromium)
win_pkgs=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
          g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
          libz-mingw-w64-dev wine wine64 xvfb imagemagick x11-utils dpkg-dev tcl xz-utils
          nsis osslsigncode openssl python3-jsonschema python3-yaml)

pkgs=("${native_pkgs[@]}")
want32=""
if [ "$what" != native ]; then
  pkgs+=("${win_pkgs[@]}")
  "$root/scripts/probe32.sh" >/dev/null && want32=yes
fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing=()
for p in "${pkgs[@]}"; do installed "$p" || missing+=("$p"); done
missing_browsers=()
for p in "${browser_pkgs[@]}"; do installed "$p" || missing_browsers+=("$p"); done
need32=""
[ -n "$want32" ] && ! installed wine32:i386 && need32=yes
[ ${#missing[@]} -eq 0 ] && [ ${#missing_browsers[@]} -eq 0 ] && [ -z "$need32" ] && exit 0

if [ -n "$need32" ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
# A mirror in the middle of a sync fails some index files; the others still count.
apt_update() { $SUDO apt-get update -qq || echo "install_deps: apt-get update reported errors; going on" >&2; }
apt_update
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if [ ${#missing_browsers[@]} -gt 0 ]; then
  $SUDO apt-get install -y -qq --no-install-recommends "${missing_browsers[@]}" ||
    echo "install_deps: ${missing_browsers[*]} could not be installed; the real-browser check will be skipped" >&2
fi
if [ -n "$need32" ]; then
  # i386 libraries must match the versions of their amd64 twins; while the
  # mirror's lists disagree that cannot be solved, and only the 32-bit suites
  # are lost.
  $SUDO apt-get install -y -qq --no-install-recommends wine32:i386 ||
    { sleep 20; apt_update; $SUDO apt-get install -y -qq --no-install-recommends wine32:i386; } ||
    echo "install_deps: wine32:i386 could not be installed; 32-bit Windows programs will not run" >&2
fi
exit 0
