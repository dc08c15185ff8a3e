#!/usr/bin/env bash
# Builds and runs the benchmarks: natively against the simulated platform,
# and the Windows build under Wine against the real registry and the Win32
# dispatcher (in the project's throw-away prefix). Prints figures; never
# fails on time. The scan benchmark plants its load under "VlBench" keys
# and removes it again; VL_SCAN_LOAD="classes types services emptykeys"
# changes its size.
# Usage: scripts/bench.sh [native|windows|all] [subkeys] [round trips]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
what=${1:-all}
shift || true

if [ "$what" != windows ]; then
  scripts/build.sh native --target vl_registry_walk_bench --target vl_registry_scan_bench >/dev/null || exit 1
  echo "== native"
  build/native/bench/vl_registry_walk_bench "$@"
  echo "== native: registry scan"
  build/native/bench/vl_registry_scan_bench ${VL_SCAN_LOAD:-}
fi

if [ "$what" != native ]; then
  scripts/build.sh windows --target vl_registry_walk_bench --target vl_registry_scan_bench >/dev/null || exit 1
  . scripts/wine_env.sh
  vl_wine_prefix || exit 1
  trap 'vl_wine_stop' EXIT
  vl_wine_install build/windows/bin/vl_registry_walk_bench.exe
  vl_wine_install build/windows/bin/vl_registry_scan_bench.exe
  echo "== windows (Wine $(wine --version 2>/dev/null))"
  wine 'C:\vl\bin\vl_registry_walk_bench.exe' "$@"
  echo "== windows: registry scan"
  wine 'C:\vl\bin\vl_registry_scan_bench.exe' ${VL_SCAN_LOAD:-}
fi
