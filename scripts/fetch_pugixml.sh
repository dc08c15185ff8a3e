#!/usr/bin/env bash
# Copies pugixml's sources (pugixml.cpp/.hpp, pugiconfig.hpp) for the Windows
# build out of Debian's own pugixml source package, the version the native
# build links.
# Usage: scripts/fetch_pugixml.sh DEST_DIR   (does nothing when DEST_DIR is complete)
set -euo pipefail
dest=$(realpath -m "$1")
[ -s "$dest/pugixml.cpp" ] && [ -s "$dest/pugixml.hpp" ] && exit 0
work="$dest.work"
rm -rf "$work"
mkdir -p "$work"
. "$(dirname "$0")/debian_source.sh"
vl_debian_source "$work" pugixml "$(dpkg-query -W -f='${Version}' libpugixml-dev 2>/dev/null || true)"
tar -xf "$(ls "$work"/pugixml_*.orig.tar.* | head -n1)" -C "$work"
src=$(find "$work" -maxdepth 3 -name pugixml.cpp -path '*/src/*' | head -n1)
mkdir -p "$dest"
cp "$(dirname "$src")"/pugixml.cpp "$(dirname "$src")"/pugixml.hpp "$(dirname "$src")"/pugiconfig.hpp "$dest/"
rm -rf "$work"
echo "pugixml sources ready in $dest"
