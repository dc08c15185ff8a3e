#!/usr/bin/env bash
# Builds the SQLite amalgamation (sqlite3.c/.h) for the Windows build from
# Debian's own sqlite3 source package, the same version the native build links.
# Usage: scripts/fetch_sqlite.sh DEST_DIR   (does nothing when DEST_DIR is complete)
set -euo pipefail
dest=$(realpath -m "$1")
[ -s "$dest/sqlite3.c" ] && [ -s "$dest/sqlite3.h" ] && exit 0
work="$dest.work"
rm -rf "$work"; mkdir -p "$work/apt/lists/partial" "$work/apt/archives/partial"
# A private apt configuration with deb-src lines: the machine's own stays untouched.
. /etc/os-release
cat > "$work/apt/sources.list" <<SRC
deb-src http://deb.debian.org/debian ${VERSION_CODENAME} main
deb-src http://deb.debian.org/debian ${VERSION_CODENAME}-updates main
deb-src http://deb.debian.org/debian-security ${VERSION_CODENAME}-security main
SRC
opts=(-o "Dir::Etc::SourceList=$work/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
      -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache::Archives=$work/apt/archives"
      -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
apt-get "${opts[@]}" update -qq
ver=$(dpkg-query -W -f='${Version}' libsqlite3-dev 2>/dev/null || true)
( cd "$work" && apt-get "${opts[@]}" source --download-only "sqlite3${ver:+=$ver}" >/dev/null 2>&1 ) ||
( cd "$work" && apt-get "${opts[@]}" source --download-only sqlite3 >/dev/null )
orig=$(ls "$work"/sqlite3_*.orig.tar.* | grep -v -- '-www' | head -n1)
tar -xf "$orig" -C "$work"
src=$(find "$work" -maxdepth 1 -type d -name 'sqlite3-*' | head -n1)
mkdir -p "$src/bld"
( cd "$src/bld" && env -u CC -u CXX -u CFLAGS -u LDFLAGS CC=gcc ../configure --disable-tcl --build="$(gcc -dumpmachine)" >/dev/null && make sqlite3.c >/dev/null )
mkdir -p "$dest"
cp "$src/bld/sqlite3.c" "$src/bld/sqlite3.h" "$dest/"
rm -rf "$work"
echo "SQLite amalgamation ready in $dest"
