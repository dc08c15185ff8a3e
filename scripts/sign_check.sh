#!/usr/bin/env bash
# Signing with a throw-away self-signed certificate made here: both programs
# and the installer with its uninstaller, as the build signs them with
# VL_SIGN_CERT/VL_SIGN_KEY, each checked with `osslsigncode verify`.
# Prints "ok: ..." and "FAIL: ..." lines.
# Usage: scripts/sign_check.sh [FLAVOUR]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
flavour=${1:-windows64}
build="$root/build/$flavour"
arch=x64; [ "$flavour" = windows ] && arch=x86
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
stage="$build/installer/vl_installer-files"
work="$build/sign-check"
ok() { echo "ok: $*"; }
fail() { echo "FAIL: $*"; }
check() { local what=$1; shift; if "$@"; then ok "$what"; else fail "$what"; fi; }
[ -f "$stage/Vantorel.exe" ] || { fail "no staged programs in $stage (build vl_installer first)"; exit 1; }
rm -rf "$work"; mkdir -p "$work"
# The key lives only in this run's folder and is removed at the end.
trap 'rm -f "$work/key.pem"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj "/CN=Vantorel test signing (throw-away)" \
  -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1 ||
  { fail "openssl could not make the throw-away certificate"; exit 1; }
export VL_SIGN_CERT="$work/cert.pem" VL_SIGN_KEY="$work/key.pem" VL_SIGN_URL="https://vantorel.example.org/"
verify() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify-$(basename "$1").log" 2>&1; }

mkdir -p "$work/files"
cp "$stage/Vantorel.exe" "$stage/Update.exe" "$work/files/"
for f in Vantorel.exe Update.exe; do
  check "$f is signed" sh "$root/installer/sign.sh" "$work/files/$f"
  check "$f's signature verifies" verify "$work/files/$f"
done
# makensis signs the uninstaller (!uninstfinalize) and the installer
# (!finalize) with this command; it keeps a copy of the signed uninstaller.
cat >"$work/sign-and-keep.sh" <<SH
#!/bin/sh
sh "$root/installer/sign.sh" "\$1" || exit 1
case "\$1" in *Vantorel-Setup*) ;; *) cp "\$1" "$work/uninstaller.exe" ;; esac
SH
out="$work/Vantorel-Setup-$version-$arch.exe"
makensis -V2 -DVL_VERSION="$version" -DVL_ARCH="$arch" -DVL_BIN="$work/files" -DVL_OUT="$out" \
  -DVL_ICON="$root/programs/vantorel/res/vantorel.ico" "-DVL_SIGN=sh '$work/sign-and-keep.sh'" \
  "$root/installer/vantorel.nsi" >"$work/makensis.log" 2>&1
check "makensis builds the signed installer" [ -f "$out" ]
check "the installer's signature verifies" verify "$out"
check "the uninstaller was signed inside the installer" verify "$work/uninstaller.exe"
# A file that was changed after signing fails.
cp "$work/files/Update.exe" "$work/tampered.exe"
printf 'x' | dd of="$work/tampered.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
if verify "$work/tampered.exe"; then fail "a changed file still verifies"; else ok "a changed file does not verify"; fi
exit 0
