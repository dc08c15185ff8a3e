#!/usr/bin/env bash
# Opens a sample scan result report in headless Chromium (a local file only,
# no network) and checks that the group links expand and collapse their rows.
# Leaves the report, the DOM dumps and a screenshot of the expanded report in
# build/report-check. Usage: scripts/check_report.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/report-check"
mkdir -p "$out"

if ! command -v chromium >/dev/null; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends chromium
fi

"$root/scripts/build.sh" native --target vl_report_sample -j2 >/dev/null
sample=$(find "$root/build/native" -name vl_report_sample -type f -perm -u+x | head -n1)
"$sample" "$out/report.html"

# Copies of the report with a script at the end that clicks group 3's link
# `clicks` times and writes what the rows then show into the page.
probe() {
  local clicks=$1 file=$2
  cp "$out/report.html" "$file"
  cat >>"$file" <<JS
<script>
var link = document.querySelector('#tr3 a');
for (var k = 0; k < $clicks; k++) link.click();
var shown = [];
var rows = document.querySelectorAll('tr[id]');
for (var r = 0; r < rows.length; r++)
  if (rows[r].id.indexOf('_') > 0 && getComputedStyle(rows[r]).display != 'none') shown.push(rows[r].id);
var p = document.createElement('p');
p.id = 'probe';
p.textContent = 'shown=' + shown.join(',') + ' link=' + link.textContent + ' title=' + link.title;
document.body.appendChild(p);
</script>
JS
}

flags=(--headless --no-sandbox --disable-gpu --disable-background-networking --disable-component-update
       --disable-sync --no-first-run --disable-quic --disable-extensions --user-data-dir="$out/profile")
run_chromium() {
  rm -rf "$out/profile"
  timeout 60 chromium "${flags[@]}" "$@" 2>>"$out/chromium.log"
}

fail=0
expect() {  # clicks, expected probe text
  probe "$1" "$out/probe$1.html"
  run_chromium --dump-dom "file://$out/probe$1.html" >"$out/probe$1.dom"
  local got
  got=$(grep -o '<p id="probe">[^<]*</p>' "$out/probe$1.dom" | sed 's/<[^>]*>//g')
  if [ "$got" = "$2" ]; then echo "ok: $1 click(s): $got"; else echo "FAIL: $1 click(s): got '$got', want '$2'"; fail=1; fi
}
expect 0 "shown= link=+ title=expand"
expect 1 "shown=tr3_0,tr3_1,tr3_2 link=- title=shrink"
expect 2 "shown= link=+ title=expand"

# The report opened with group 3 expanded, as the user sees it.
run_chromium --screenshot="$out/report.png" --window-size=1000,700 "file://$out/probe1.html" >/dev/null
echo "screenshot: $out/report.png"
exit $fail
