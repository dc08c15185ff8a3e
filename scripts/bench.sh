#!/usr/bin/env bash
# Builds and runs the benchmarks: natively against the simulated platform,
# and a Windows build under Wine against the real registry and the Win32
# dispatcher (in the project's throw-away prefix): the i686 build where the
# machine runs 32-bit programs (it is the one that walks the 64-bit view from
# WOW64), else the x86_64 one; the output says which. Prints figures; never
# fails on time. The scan benchmark plants its load under "VlBench" keys and
# removes it again; VL_SCAN_LOAD="classes types services emptykeys" changes
# its size. VL_BENCH_FLAVOUR=windows64 picks the x86_64 build anyway.
# Usage: scripts/bench.sh [native|windows|all] [subkeys] [round trips]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
what=${1:-all}
shift || true
benches=(--target vl_registry_walk_bench --target vl_registry_scan_bench)

if [ "$what" != windows ]; then
  scripts/build.sh native "${benches[@]}" >/dev/null || exit 1
  echo "== native"
  build/native/bench/vl_registry_walk_bench "$@"
  echo "== native: registry scan"
  build/native/bench/vl_registry_scan_bench ${VL_SCAN_LOAD:-}
fi

if [ "$what" != native ]; then
  . scripts/wine_env.sh
  flavour=${VL_BENCH_FLAVOUR:-}
  if [ -z "$flavour" ]; then
    if vl_can_run_32bit; then flavour=windows; else
      flavour=windows64
      echo "(the i686 build cannot run here: $VL_NO32_REASON; using the x86_64 build)"
    fi
  fi
  scripts/build.sh "$flavour" "${benches[@]}" >/dev/null || exit 1
  vl_wine_flavour "$flavour"
  vl_wine_prefix || exit 1
  trap 'vl_wine_stop' EXIT
  vl_wine_install "$VL_WIN_BIN/vl_registry_walk_bench.exe" "$VL_WIN_BIN/vl_registry_scan_bench.exe"
  label="$flavour build: $([ "$flavour" = windows ] && echo 'i686, a WOW64 process' || echo 'x86_64')"
  echo "== $label (Wine $("$VL_WINE64" --version 2>/dev/null))"
  vl_wine 'C:\vl\bin\vl_registry_walk_bench.exe' "$@"
  echo "== $label: registry scan"
  vl_wine 'C:\vl\bin\vl_registry_scan_bench.exe' ${VL_SCAN_LOAD:-}
fi
