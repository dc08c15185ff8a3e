#!/usr/bin/env bash
# Configures and builds one flavour into build/<flavour>.
# Usage: scripts/build.sh native|asan|tsan|windows [cmake --build args...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
flavour=${1:?native, asan, tsan or windows}
shift || true
args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
case "$flavour" in
  native) ;;
  asan) args+=(-DVL_SANITIZE=address) ;;
  tsan) args+=(-DVL_SANITIZE=thread) ;;
  windows) args+=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake") ;;
  windows64) args+=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake") ;;
  *) echo "unknown flavour: $flavour" >&2; exit 2 ;;
esac
dir="$root/build/$flavour"
[ -f "$dir/build.ninja" ] || cmake -S "$root" -B "$dir" "${args[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" "$@"
