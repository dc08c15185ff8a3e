#!/usr/bin/env bash
# Builds the SQLite amalgamation (sqlite3.c/.h) for the Windows build from
# Debian's own sqlite3 source package, the same version the native build links.
# Usage: scripts/fetch_sqlite.sh DEST_DIR   (does nothing when DEST_DIR is complete)
set -euo pipefail
dest=$(realpath -m "$1")
[ -s "$dest/sqlite3.c" ] && [ -s "$dest/sqlite3.h" ] && exit 0
work="$dest.work"
rm -rf "$work"
. "$(dirname "$0")/debian_source.sh"
vl_debian_source "$work" sqlite3 "$(dpkg-query -W -f='${Version}' libsqlite3-dev 2>/dev/null || true)"
orig=$(ls "$work"/sqlite3_*.orig.tar.* | grep -v -- '-www' | head -n1)
tar -xf "$orig" -C "$work"
src=$(find "$work" -maxdepth 1 -type d -name 'sqlite3-*' | head -n1)
mkdir -p "$src/bld"
( cd "$src/bld" && env -u CC -u CXX -u CFLAGS -u LDFLAGS CC=gcc ../configure --disable-tcl --build="$(gcc -dumpmachine)" >/dev/null && make sqlite3.c >/dev/null )
mkdir -p "$dest"
cp "$src/bld/sqlite3.c" "$src/bld/sqlite3.h" "$dest/"
rm -rf "$work"
echo "SQLite amalgamation ready in $dest"
