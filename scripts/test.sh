#!/usr/bin/env bash
# Builds and runs every test: native suites (plain, ASan+UBSan, TSan), the
# Windows builds' suites under Wine against the real backend, and the GUI
# tests that drive Vantorel.exe under Wine and Xvfb. Installs what is missing.
#
# Two Windows builds: windows64 (x86_64) runs on every machine; windows
# (i686, a WOW64 process, the only one that exercises the 32-bit paths) runs
# where the machine can run 32-bit programs, and is otherwise reported as
# skipped with the reason (neither built nor run unless asked for).
# Fails when any suite fails or a suite that should run runs no test.
# Usage: scripts/test.sh [native|windows|all]
#        VL_WINDOWS_FLAVOURS=windows64 scripts/test.sh windows   (one Windows build only)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
what=${1:-all}
logs="$root/build/test-logs"
mkdir -p "$logs"

deps_started=$SECONDS
if [ "$what" = native ]; then scripts/install_deps.sh native; else scripts/install_deps.sh all; fi || exit 1
deps_secs=$((SECONDS - deps_started))

passed=0
failed=0
problems=()
skipped=()
# Where the run's time went: one line per stage at the end.
stage_names=(install-deps)
stage_secs=("$deps_secs")
run_started=$deps_started
# timed NAME COMMAND...: runs the command and records how long it took.
timed() {
  local name=$1 start=$SECONDS rc; shift
  "$@"; rc=$?
  stage_names+=("$name"); stage_secs+=($((SECONDS - start)))
  return $rc
}

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
    # Each failure with the lines that say what it was.
    grep -E -A3 '^\[  FAILED  \]|Failure|Sanitizer|ERROR' "$log" | head -n 60
  fi
  echo "   $ok passed, $bad failed ($log)"
}

# The evidence cleaner against profiles made by real browsers; its checks
# count as tests, a browser that cannot run here as a skip.
browser_check() {
  local log="$logs/browser-check.log"
  echo "== browser-check"
  scripts/browser_check.sh >"$log" 2>&1
  local rc=$? ok bad line
  ok=$(grep -c '^ok: ' "$log"); bad=$(grep -c '^FAIL: ' "$log")
  passed=$((passed + ok))
  failed=$((failed + bad))
  while IFS= read -r line; do skipped+=("${line#SKIPPED: }"); done < <(grep '^SKIPPED: ' "$log")
  grep '^FAIL: ' "$log" | head -n 40
  if [ "$rc" -ne 0 ] && [ "$bad" -eq 0 ]; then
    problems+=("browser-check: exit $rc")
    tail -n 20 "$log"
  elif [ "$ok" -eq 0 ] && ! grep -q '^SKIPPED: ' "$log"; then
    problems+=("browser-check: no check ran")
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

# windows_suites FLAVOUR: the build's suites, then its GUI tests, in its own prefix.
windows_suites() {
  local flavour=$1
  vl_wine_flavour "$flavour"
  vl_wine_prefix || { problems+=("$flavour: the Wine prefix could not be prepared"); return; }
  vl_wine_install "$VL_WIN_BIN"/*.exe $(find "build/$flavour" -name 'vl_*_tests.exe' -type f ! -path '*/bin/*')
  # A folder link for the removal contract, made from the host side since
  # Wine makes none itself; it stays inside the prefix.
  mkdir -p "$WINEPREFIX/drive_c/vl/linkfixture/target"
  ln -sfn target "$WINEPREFIX/drive_c/vl/linkfixture/link"
  local exe name
  for exe in "$WINEPREFIX"/drive_c/vl/bin/vl_*_tests.exe; do
    name=$(basename "$exe" .exe)
    [ "$name" = vl_gui_tests ] && continue
    run_suite "$flavour-$name" vl_wine "C:\\vl\\bin\\$name.exe"
  done
  # GUI tests: screenshots land in C:\vlshots, kept as PNG in build/screenshots/FLAVOUR.
  rm -rf "$WINEPREFIX/drive_c/vlshots"; mkdir -p "$WINEPREFIX/drive_c/vlshots"
  VL_SHOTS='C:\vlshots' timed "$flavour-suites-gui" run_suite "$flavour-vl_gui_tests" vl_wine 'C:\vl\bin\vl_gui_tests.exe'
  local shots="build/screenshots/$flavour" bmp
  rm -rf "$shots"; mkdir -p "$shots"
  for bmp in "$WINEPREFIX"/drive_c/vlshots/*.bmp; do
    [ -e "$bmp" ] && /usr/bin/convert "$bmp" "$shots/$(basename "$bmp" .bmp).png"
  done
  echo "   screenshots: $root/$shots"
  vl_wine_stop
}

# deploy_check NAME SCRIPT ARGS...: a Wine check script of the deployment
# (command line, installer, signatures, winget); its "ok:" and "FAIL:" lines
# count as tests, and a script that checked nothing fails. Says how long it took.
deploy_check() {
  local name=$1; shift
  local log="$logs/$name.log" start=$SECONDS
  echo "== $name"
  "$@" >"$log" 2>&1
  local rc=$? ok bad
  ok=$(grep -c '^ok: ' "$log"); bad=$(grep -c '^FAIL: ' "$log")
  passed=$((passed + ok))
  failed=$((failed + bad))
  grep '^FAIL: ' "$log" | head -n 40
  local line
  while IFS= read -r line; do skipped+=("${line#SKIPPED: }"); done < <(grep '^SKIPPED: ' "$log")
  if [ "$rc" -ne 0 ] && [ "$bad" -eq 0 ]; then
    problems+=("$name: exit $rc")
    tail -n 20 "$log"
  elif [ "$ok" -eq 0 ] && ! grep -q '^SKIPPED: ' "$log"; then
    problems+=("$name: no check ran")
  fi
  echo "   $ok passed, $bad failed in $((SECONDS - start)) s ($log)"
}

if [ "$what" != windows ]; then
  timed native native_suites native
  timed browser-check browser_check
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    timed asan native_suites asan
  # TSan needs a fixed address layout on recent kernels.
  TSAN_OPTIONS=halt_on_error=1 timed tsan native_suites tsan setarch "$(uname -m)" -R
fi

# The publishing tool on the Windows build's two programs: what a deployment
# puts on its server.
publish_check() {
  local flavour=$1 out="build/update-site/$1"
  echo "== $flavour-publish"
  rm -rf "$out"
  # Signed with the test key; openssl must accept the signature as written.
  if scripts/publish_update.sh --key sysaccess/testing/test_update_key.pem "build/$flavour/bin/Vantorel.exe" \
       "build/$flavour/bin/Update.exe" "$out" 'http://127.0.0.1/update/' >"$logs/$flavour-publish.log" 2>&1 &&
     grep -q '<updateinformation>' "$out/Update.xml" && [ "$(find "$out" -name '*.z' | wc -l)" -eq 2 ] &&
     openssl dgst -sha256 -verify sysaccess/testing/test_update_key.pub.pem -signature "$out/Update.xml.sig" \
       "$out/Update.xml" >>"$logs/$flavour-publish.log" 2>&1; then
    passed=$((passed + 1)); echo "   1 passed, 0 failed ($out)"
  else
    failed=$((failed + 1)); problems+=("$flavour-publish: no complete update was written")
    tail -n 20 "$logs/$flavour-publish.log"
  fi
}

# The import tables of the build's two programs: no DLL that Windows would
# look for in the program's folder first (one test per program).
import_check() {
  local flavour=$1 log="$logs/$1-imports.log" ok bad
  echo "== $flavour-imports"
  scripts/check_imports.sh "build/$flavour/bin/Vantorel.exe" "build/$flavour/bin/Update.exe" >"$log" 2>&1
  ok=$(grep -c '^ok: ' "$log"); bad=$(grep -c '^FAIL: ' "$log")
  passed=$((passed + ok)); failed=$((failed + bad))
  [ "$bad" -eq 0 ] || { problems+=("$flavour-imports: $bad failed"); grep '^FAIL: ' "$log"; }
  echo "   $ok passed, $bad failed ($log)"
}

if [ "$what" != native ]; then
  . scripts/wine_env.sh
  run32=yes
  flavours="windows64 windows"
  if ! vl_can_run_32bit; then
    run32=""
    # A build that cannot run here costs a quarter of the run; name it in
    # VL_WINDOWS_FLAVOURS to compile it anyway.
    flavours="windows64"
    skipped+=("windows (i686) build, suites and GUI tests: $VL_NO32_REASON; VL_WINDOWS_FLAVOURS='windows64 windows' compiles it without running it")
  fi
  built=()
  # VL_WINDOWS_FLAVOURS narrows the Windows builds for a quicker local run.
  for flavour in ${VL_WINDOWS_FLAVOURS:-$flavours}; do
    if timed "$flavour-build" scripts/build.sh "$flavour"; then built+=("$flavour"); else problems+=("$flavour: build failed"); fi
  done
  if [ ${#built[@]} -gt 0 ]; then
    vl_xvfb_start || problems+=("Xvfb did not start")
    trap 'vl_wine_stop; vl_xvfb_stop' EXIT
    for flavour in "${built[@]}"; do
      import_check "$flavour"
      timed "$flavour-publish" publish_check "$flavour"
      [ "$flavour" = windows ] && [ -z "$run32" ] && continue
      timed "$flavour-suites" windows_suites "$flavour"
      timed "$flavour-cli" deploy_check "$flavour-cli" scripts/cli_wine_check.sh "$flavour"
      timed "$flavour-installer" deploy_check "$flavour-installer" scripts/installer_wine_check.sh "$flavour"
      timed "$flavour-signing" deploy_check "$flavour-signing" scripts/sign_check.sh "$flavour"
      timed "$flavour-winget" deploy_check "$flavour-winget" python3 packaging/winget/make_manifests.py validate \
        --schemas "${VL_WINGET_SCHEMAS:-$root/../shared/winget-schema}" "build/$flavour/winget/$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "build/$flavour/CMakeCache.txt")"
    done
  fi
fi

echo
for i in "${!stage_names[@]}"; do
  printf 'time: %-20s %5d s\n' "${stage_names[$i]}" "${stage_secs[$i]}"
done
printf 'time: %-20s %5d s\n' total $((SECONDS - run_started))
for s in "${skipped[@]}"; do echo "SKIPPED: $s"; done
for p in "${problems[@]}"; do echo "PROBLEM: $p"; done
echo "tests: $passed passed, $failed failed"
[ ${#problems[@]} -eq 0 ] && [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
