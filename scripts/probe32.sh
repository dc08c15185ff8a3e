#!/usr/bin/env bash
# Tells whether this machine's kernel runs 32-bit x86 Linux programs, which
# Wine needs (its i386 loader) for every 32-bit Windows program. Some kernels
# have that switched off ("32-bit emulation disabled"). Runs a 96-byte i386
# ELF program that only calls exit(32).
# Exit status 0 when it runs; otherwise 1 and the reason on standard output.
set -u
# In the build folder: /tmp may be mounted noexec.
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$root/build"
dir=$(mktemp -d "$root/build/probe32.XXXXXX")
trap 'rm -rf "$dir"' EXIT
printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x20\x00\x00\x00\xcd\x80' >"$dir/probe32"
chmod +x "$dir/probe32"
"$dir/probe32" 2>/dev/null
rc=$?
[ "$rc" -eq 32 ] && exit 0
case "$(uname -m)" in
  x86_64|i?86) echo "this kernel runs no 32-bit Linux program (32-bit emulation disabled?)" ;;
  *) echo "this machine is $(uname -m), not x86" ;;
esac
exit 1
