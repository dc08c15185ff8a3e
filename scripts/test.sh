#!/usr/bin/env bash
# Builds and runs every test: native suites (plain, ASan+UBSan, TSan), the
# Windows build's suites under Wine against the real backend, and the GUI
# tests that drive Vantorel.exe under Wine and Xvfb. Installs what is missing.
# Fails when any suite fails or runs no test at all.
# Usage: scripts/test.sh [native|windows|all]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
what=${1:-all}
logs="$root/build/test-logs"
mkdir -p "$logs"

if [ "$what" = native ]; then scripts/install_deps.sh native; else scripts/install_deps.sh all; fi || exit 1

passed=0
failed=0
problems=()

# run_suite NAME COMMAND...: runs one GoogleTest executable and counts its tests.
run_suite() {
  local name=$1; shift
  local log="$logs/$name.log"
  echo "== $name"
  "$@" --gtest_color=no >"$log" 2>&1
  local rc=$?
  local ran ok bad
  ran=$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran\..*/\1/p' "$log" | tail -n1)
  ok=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tail -n1)
  bad=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below.*/\1/p' "$log" | tail -n1)
  ran=${ran:-0}; ok=${ok:-0}; bad=${bad:-0}
  passed=$((passed + ok))
  failed=$((failed + bad))
  if [ "$ran" -eq 0 ]; then
    problems+=("$name: no test ran (exit $rc)")
    tail -n 20 "$log"
  elif [ "$rc" -ne 0 ] || [ "$bad" -ne 0 ]; then
    problems+=("$name: $bad failed (exit $rc)")
    grep -E '^\[  FAILED  \]|Failure|Sanitizer|ERROR' "$log" | head -n 40
  fi
  echo "   $ok passed, $bad failed ($log)"
}

native_suites() {
  local flavour=$1; shift
  scripts/build.sh "$flavour" || { problems+=("$flavour: build failed"); return; }
  local exe
  for exe in $(find "build/$flavour" -name 'vl_*_tests' -type f -perm -u+x | sort); do
    run_suite "$flavour-$(basename "$exe")" "$@" "$exe"
  done
}

if [ "$what" != windows ]; then
  native_suites native
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    native_suites asan
  # TSan needs a fixed address layout on recent kernels.
  TSAN_OPTIONS=halt_on_error=1 native_suites tsan setarch "$(uname -m)" -R
fi

if [ "$what" != native ]; then
  if scripts/build.sh windows; then
    . scripts/wine_env.sh
    vl_wine_prefix
    vl_xvfb_start
    trap 'vl_wine_stop; vl_xvfb_stop' EXIT
    vl_wine_install build/windows/bin/*.exe $(find build/windows -name 'vl_*_tests.exe' -type f)
    for exe in "$WINEPREFIX"/drive_c/vl/bin/vl_*_tests.exe; do
      name=$(basename "$exe" .exe)
      [ "$name" = vl_gui_tests ] && continue
      run_suite "windows-$name" wine "C:\\vl\\bin\\$name.exe"
    done
    # GUI tests: screenshots land in C:\vlshots, kept as PNG in build/screenshots.
    rm -rf "$WINEPREFIX/drive_c/vlshots"; mkdir -p "$WINEPREFIX/drive_c/vlshots"
    VL_SHOTS='C:\vlshots' WINEDEBUG=-all run_suite windows-vl_gui_tests wine 'C:\vl\bin\vl_gui_tests.exe'
    mkdir -p build/screenshots
    for bmp in "$WINEPREFIX"/drive_c/vlshots/*.bmp; do
      [ -e "$bmp" ] && /usr/bin/convert "$bmp" "build/screenshots/$(basename "$bmp" .bmp).png"
    done
    echo "   screenshots: $root/build/screenshots"
  else
    problems+=("windows: build failed")
  fi
fi

echo
for p in "${problems[@]}"; do echo "PROBLEM: $p"; done
echo "tests: $passed passed, $failed failed"
[ ${#problems[@]} -eq 0 ] && [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
