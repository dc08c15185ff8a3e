#!/usr/bin/env bash
# The administrators' command line of the real Vantorel.exe under Wine, in a
# fresh prefix of its own, on planted problems: exit codes, the JSON line
# and its cap, the full result and the HTML report, /scan changing nothing,
# the job guard, and that no window ever shows. Prints "ok: ..." and
# "FAIL: ..." lines (counted by scripts/test.sh).
# Usage: scripts/cli_wine_check.sh [FLAVOUR]   (needs DISPLAY: Xvfb)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
flavour=${1:-windows64}
. "$root/scripts/wine_env.sh"
vl_wine_flavour "$flavour"
export WINEPREFIX="$root/build/wine/cli-$flavour"
rm -rf "$WINEPREFIX"
vl_wine_prefix || { echo "FAIL: the Wine prefix could not be prepared"; exit 1; }
trap vl_wine_stop EXIT
c="$WINEPREFIX/drive_c"
app="$c/VLCli"
mkdir -p "$app" "$c/vlout"
cp "$VL_WIN_BIN/Vantorel.exe" "$VL_WIN_BIN/vl_cli_probe.exe" "$app/"
ok() { echo "ok: $*"; }
fail() { echo "FAIL: $*"; }
check() { local what=$1; shift; if "$@"; then ok "$what"; else fail "$what"; fi; }

# cli NAME ARGS...: runs Vantorel.exe through the probe; sets rc, windows, out.
cli() {
  local name=$1; shift
  local line
  line=$(vl_wine 'C:\VLCli\vl_cli_probe.exe' run "C:\\vlout\\$name.stdout.txt" "C:\\vlout\\$name.stderr.txt" \
           'C:\VLCli\Vantorel.exe' "$@" </dev/null 2>/dev/null | tr -d '\r' | tail -n1)
  rc=$(sed -n 's/^exit=\([0-9]*\) .*/\1/p' <<<"$line")
  windows=$(sed -n 's/.* windows=\([0-9]*\)$/\1/p' <<<"$line")
  out="$c/vlout/$name.stdout.txt"
  echo "   $name: ${line:-no answer from the probe}"
  [ "$windows" = 0 ] || fail "$name: a window appeared (${windows:-?})"
}
json_ok() {  # FILE [CAP]: one JSON document (a line under CAP bytes)
  python3 - "$@" <<'PY'
import json, sys
data = open(sys.argv[1], 'rb').read()
if len(sys.argv) > 2 and (len(data) > int(sys.argv[2]) or data.count(b'\n') != 1): sys.exit(1)
doc = json.loads(data.decode('utf-8'))
assert doc['mode'] in ('scan', 'clean') and isinstance(doc['errors'], list)
PY
}
# What /scan must leave as it was: the touched keys and the drive.
snapshot() {
  local name=$1 key
  for key in 'HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths' \
             'HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU'; do
    vl_wine regedit /E "C:\\vlout\\$name-$(echo "$key" | md5sum | cut -c1-8).reg" "$key" >/dev/null 2>&1
  done
  (cd "$c" && find . -path ./vlout -prune -o -path ./VLCli/data.db -prune -o -path ./windows/temp -prune \
     -o -path './users/*/Temp' -prune -o -type d -printf '%p/\n' -o -printf '%p %s %T@\n' | sort) >"$c/vlout/$name.files"
}

# Wine makes these keys empty at every start; a used profile has values there.
cat >"$c/vlout/wine.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\AppDefaults]
"vltest"="1"
[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"vltest"="native"
[HKEY_CURRENT_USER\Software\Wine\Fonts\Cache]
"vltest"="1"
REG
vl_wine regedit /S 'C:\vlout\wine.reg' >/dev/null 2>&1
# A fresh prefix holds its own findings; clean them first so the planted
# problems are what the checks see.
cli baseline /clean
cli baseline-scan /scan
check "a cleaned fresh prefix scans to 0" [ "$rc" = 0 ]
[ "$rc" = 0 ] || cat "$c/vlout/baseline-scan.out"

# Planted problems: an App Paths entry of a program that is gone, a trace in
# the Run box's history, and junk files (many, with long names).
cat >"$c/vlout/plant.reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\vlgone.exe]
@="C:\\Program Files\\VLGone\\vlgone.exe"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU]
"a"="vlplanted\\1"
"MRUList"="a"
REG
vl_wine regedit /S 'C:\vlout\plant.reg' >/dev/null 2>&1
mkdir -p "$c/VLJunk"
for i in $(seq 1 300); do : >"$c/VLJunk/planted_junk_file_with_a_rather_long_name_number_$i.tmp"; done
echo data >"$c/VLJunk/planted_junk_file_with_a_rather_long_name_number_1.tmp"

snapshot before
cli scan /scan /report 'C:\vlout\report.html' /json 'C:\vlout\full.json'
check "/scan on planted problems exits 1" [ "$rc" = 1 ]
check "/scan's line is one JSON line under 2048 bytes" json_ok "$out" 2048
check "/scan's full result parses" json_ok "$c/vlout/full.json"
for p in 'App Paths\\\\vlgone.exe' 'RunMRU' 'planted_junk_file_with_a_rather_long_name_number_300.tmp'; do
  check "the full result names $p" grep -q "$p" "$c/vlout/full.json"
done
check "the line counts 300 junk files" grep -q '"junk":{"files":300,' "$out"
snapshot after
for f in "$c"/vlout/before*; do
  check "/scan changed nothing: ${f##*/before}" cmp -s "$f" "${f/before/after}"
done
if command -v chromium >/dev/null; then
  # The report as a browser reads it (its script expands the groups).
  dom=$(timeout 60 chromium --headless --no-sandbox --disable-gpu --user-data-dir="$root/build/chromium-profile" \
          --dump-dom "file://$c/vlout/report.html" 2>/dev/null)
  for p in 'App Paths\\vlgone.exe' 'RunMRU' 'planted_junk_file_with_a_rather_long_name_number_300.tmp'; do
    check "the HTML report (Chromium) names $p" grep -qF "${p//\\\\/\\}" <<<"$dom"
  done
else
  for p in 'vlgone.exe' 'RunMRU' 'number_300.tmp'; do check "the HTML report names $p" grep -q "$p" "$c/vlout/report.html"; done
fi

cli clean /clean
check "/clean exits 0" [ "$rc" = 0 ]
[ "$rc" = 0 ] || cat "$out"
check "/clean's line parses" json_ok "$out" 2048
check "/clean removed the junk" [ ! -e "$c/VLJunk/planted_junk_file_with_a_rather_long_name_number_1.tmp" ]
check "/clean left a registry backup" ls "$app"/backup/repair_backup/*.reg
cli rescan /scan
check "a second /scan exits 0" [ "$rc" = 0 ]
[ "$rc" = 0 ] || cat "$out"
cli bad /scan /nonsense
check "a bad argument exits 2" [ "$rc" = 2 ]
check "a bad argument prints the usage on standard error" grep -q 'Exit codes' "$c/vlout/bad.stderr.txt"
cli help /?
check "/? exits 0 with the usage" grep -q 'Exit codes' "$out"

# Another job holds the machine-wide guard.
rm -f "$c/vlout/ready" "$c/vlout/stop"
vl_wine 'C:\VLCli\vl_cli_probe.exe' hold 'C:\vlout\ready' 'C:\vlout\stop' </dev/null >/dev/null 2>&1 &
holder=$!
for _ in $(seq 1 300); do [ -e "$c/vlout/ready" ] && break; sleep 0.1; done
cli busy /scan /junk
check "a job already running exits 3" [ "$rc" = 3 ]
check "the line says another job is running" grep -q 'Another Vantorel is running a job' "$out"
touch "$c/vlout/stop"
wait "$holder"
cli free /scan /junk
check "with the guard free again /scan runs (exit 0)" [ "$rc" = 0 ]
exit 0
