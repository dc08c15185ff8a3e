#!/usr/bin/env bash
# Configures and builds one flavour into build/<flavour>.
# Usage: scripts/build.sh native|asan|tsan|windows [cmake --build args...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
flavour=${1:?native, asan, tsan or windows}
shift || true
args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
# Debug information is most of the compile and link time. The native build
# keeps it (debuggers, benchmarks); sanitizer reports need only line tables
# (-g1) and are usual at -O1; the Windows builds are run under Wine, where no
# debugger reads it, and their programs ship stripped.
sanitizer_flags=(-DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG")
windows_flags=(-DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG")
case "$flavour" in
  native) ;;
  asan) args+=(-DVL_SANITIZE=address "${sanitizer_flags[@]}") ;;
  tsan) args+=(-DVL_SANITIZE=thread "${sanitizer_flags[@]}") ;;
  windows) args+=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" "${windows_flags[@]}") ;;
  windows64) args+=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" "${windows_flags[@]}") ;;
  *) echo "unknown flavour: $flavour" >&2; exit 2 ;;
esac
dir="$root/build/$flavour"
[ -f "$dir/build.ninja" ] || cmake -S "$root" -B "$dir" "${args[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" "$@"
