#!/usr/bin/env bash
# Builds and runs the benchmarks: natively against the simulated platform,
# and a Windows build under Wine against the real registry and the Win32
# dispatcher (in the project's throw-away prefix): the i686 build where the
# machine runs 32-bit programs (it is the one that walks the 64-bit view from
# WOW64), else the x86_64 one; the output says which. Prints figures; never
# fails on time. The scan benchmark plants its load under "VlBench" keys and
# removes it again; VL_SCAN_LOAD="classes types services emptykeys" changes
# its size. VL_BENCH_FLAVOUR=windows64 picks the x86_64 build anyway.
# The junk benchmark scans a generated tree of 200,000 files (build/bench/,
# and a copy inside the prefix's C:) against a bare walk in the same run,
# and natively also against find and BleachBit's preview with the same
# masks (BleachBit is installed when missing). The browser benchmark
# (native) scans and cleans a Firefox profile of 200,000 visits and 50,000
# cookies and an Edge profile of 200,000 URLs against the bare SQL of the
# same rows, and prints the memory per listed item. VL_BENCH=registry, junk
# or browser runs one of them.
# Usage: scripts/bench.sh [native|windows|all] [subkeys] [round trips]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
what=${1:-all}
shift || true
benches=(--target vl_registry_walk_bench --target vl_registry_scan_bench --target vl_junk_scan_bench)
only=${VL_BENCH:-all}
registry() { [ "$only" = all ] || [ "$only" = registry ]; }
junk() { [ "$only" = all ] || [ "$only" = junk ]; }
browser() { [ "$only" = all ] || [ "$only" = browser ]; }
tree=$root/build/bench/junk-tree

# The 44 seed masks, one per line.
seed_masks() {
  sed -n '/kJunkSeeds = {{/,/}};/p' store/seed_data.cpp | sed -n 's/^ *{"\([^"]*\)",.*/\1/p'
}

# Seconds of a command (its output dropped), best of three.
best_of_3() {
  local best="" t
  for _ in 1 2 3; do
    t=$( { TIMEFORMAT=%R; time "$@" >/dev/null 2>&1; } 2>&1 )
    best=$(awk -v a="$t" -v b="${best:-$t}" 'BEGIN { print (a < b ? a : b) }')
  done
  echo "$best"
}

ratio_line() {  # label seconds engine-seconds
  awk -v l="$1" -v s="$2" -v e="$3" 'BEGIN { printf "  %-44s %8.3f s   engine is %.2fx faster (goal >= 2)\n", l, s, (e > 0 ? s / e : 0) }'
}

find_junk() {  # LC_ALL value
  local args=() first=1 m
  while read -r m; do
    [ $first = 1 ] || args+=(-o)
    args+=(-iname "$m")
    first=0
  done < <(seed_masks)
  LC_ALL=$1 find "$tree" -type f \( "${args[@]}" \) -print
}

bleachbit_junk() {
  local home=$root/build/bench/bleachbit-home regex
  mkdir -p "$home/.config/bleachbit/cleaners"
  # The masks as one regular expression on the file name, any case.
  regex=$(seed_masks | python3 -c '
import re, sys
def conv(m):
    out, i = "", 0
    while i < len(m):
        c = m[i]
        if c == "*": out += ".*"
        elif c == "?": out += "."
        elif c == "[":
            j = m.index("]", i + 1)
            body = m[i + 1:j]
            out += "[" + ("^" + body[1:] if body.startswith("!") else body) + "]"
            i = j
        else: out += re.escape(c)
        i += 1
    return out
print("(?i)^(?:" + "|".join(conv(l.strip()) for l in sys.stdin if l.strip()) + ")$")')
  cat > "$home/.config/bleachbit/cleaners/vlbench.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<cleaner id="vlbench">
  <label>vlbench</label>
  <option id="junk"><label>junk</label><description>junk</description>
    <action command="delete" search="walk.files" path="$tree" regex="$(printf '%s' "$regex" | sed 's/&/\&amp;/g; s/</\&lt;/g; s/"/\&quot;/g')"/>
  </option>
</cleaner>
XML
  HOME=$home XDG_CONFIG_HOME=$home/.config bleachbit --preview vlbench.junk
}

native_junk() {
  build/native/bench/vl_junk_scan_bench generate "$tree" || return 1
  local out engine n
  out=$(build/native/bench/vl_junk_scan_bench scan "$tree")
  echo "$out"
  engine=$(echo "$out" | sed -n 's/.*junk scan (engine alone), best of 3 *\([0-9.]*\) s.*/\1/p')
  echo "  against other tools on the same tree (best of 3; the engine: $engine s):"
  for loc in C C.UTF-8; do
    n=$(find_junk $loc | wc -l)
    ratio_line "find, 44 -iname tests, LC_ALL=$loc ($n files)" "$(best_of_3 find_junk $loc)" "$engine"
  done
  if ! command -v bleachbit >/dev/null; then
    apt-get install -y --no-install-recommends bleachbit >/dev/null 2>&1 ||
      echo "  (BleachBit could not be installed here: skipped)"
  fi
  if command -v bleachbit >/dev/null; then
    n=$(bleachbit_junk 2>/dev/null | grep -c '^Delete ')
    ratio_line "BleachBit preview, one walk, one regex ($n files)" "$(best_of_3 bleachbit_junk)" "$engine"
  fi
}

if [ "$what" != windows ]; then
  scripts/build.sh native "${benches[@]}" >/dev/null || exit 1
  if registry; then
    echo "== native"
    build/native/bench/vl_registry_walk_bench "$@"
    echo "== native: registry scan"
    build/native/bench/vl_registry_scan_bench ${VL_SCAN_LOAD:-}
  fi
  if junk; then
    echo "== native: junk scan"
    native_junk
  fi
  if browser; then
    echo "== native: browser types (scan and removal against bare SQL, best of 3 scans)"
    scripts/build.sh native --target vl_browser_bench >/dev/null || exit 1
    build/native/bench/vl_browser_bench
  fi
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
  vl_wine_install "$VL_WIN_BIN/vl_registry_walk_bench.exe" "$VL_WIN_BIN/vl_registry_scan_bench.exe" \
    "$VL_WIN_BIN/vl_junk_scan_bench.exe"
  label="$flavour build: $([ "$flavour" = windows ] && echo 'i686, a WOW64 process' || echo 'x86_64')"
  echo "== $label (Wine $("$VL_WINE64" --version 2>/dev/null))"
  if registry; then
    vl_wine 'C:\vl\bin\vl_registry_walk_bench.exe' "$@"
    echo "== $label: registry scan"
    vl_wine 'C:\vl\bin\vl_registry_scan_bench.exe' ${VL_SCAN_LOAD:-}
  fi
  if junk; then
    echo "== $label: junk scan"
    # The same tree inside the prefix, made by the native generator.
    scripts/build.sh native --target vl_junk_scan_bench >/dev/null || exit 1
    build/native/bench/vl_junk_scan_bench generate "$WINEPREFIX/drive_c/vlbench/junk-tree" >/dev/null || exit 1
    vl_wine 'C:\vl\bin\vl_junk_scan_bench.exe' scan 'C:\vlbench\junk-tree'
  fi
fi
