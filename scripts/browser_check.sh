#!/usr/bin/env bash
# Real browsers' profiles, cleaned by the evidence cleaner: firefox-esr and
# chromium run headless against pages served on 127.0.0.1 (visits, cookies
# with an apostrophe, non-ASCII titles), a bookmark is added to a visited
# page, and vl_browser_profile_clean scans and cleans the profiles on the
# simulated machine whose C: is build/browser-check/drive. Then the files are
# checked with sqlite3 and each browser opens its profile again.
#
# Prints `ok: ...` and `FAIL: ...` per check and `SKIPPED: <what> (<why>)`
# for a browser that cannot run here; exits non-zero when a check failed.
# No traffic leaves the machine: the pages are the test's own, the profiles
# are fresh, and the browsers' updates, telemetry, safe browsing and other
# remote calls are switched off, and both get a proxy on a closed local port
# for anything that is not 127.0.0.1.
# Usage: scripts/browser_check.sh   (expects the native build; builds the tool)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# Where the machine allows it, the whole check runs in a network namespace
# of its own that has nothing but the loopback device.
if [ -z "${VL_BROWSER_NETNS:-}" ] && unshare -n sh -c 'ip link set lo up' 2>/dev/null; then
  exec unshare -n env VL_BROWSER_NETNS=1 bash -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
fi
[ -n "${VL_BROWSER_NETNS:-}" ] && echo "(in a network namespace with the loopback device only)"
out="$root/build/browser-check"
limit=${VL_BROWSER_LIMIT:-60}   # seconds any one browser run may take

fails=0
ok() { echo "ok: $*"; }
bad() { echo "FAIL: $*"; fails=$((fails + 1)); }
check() {  # check WHAT GOT WANT
  if [ "$2" = "$3" ]; then ok "$1"; else bad "$1: got '$2', want '$3'"; fi
}

"$root/scripts/build.sh" native --target vl_browser_profile_clean -j2 >/dev/null || { bad "the tool did not build"; exit 1; }
tool="$root/build/native/evidence_cleaner/vl_browser_profile_clean"
command -v sqlite3 >/dev/null || { bad "sqlite3 is not installed (scripts/install_deps.sh)"; exit 1; }

rm -rf "$out"
mkdir -p "$out/home/.config" "$out/home/.cache" "$out/home/.local/share" "$out/runtime"
chmod 700 "$out/runtime"
drive="$out/drive"
roaming="$drive/Users/Tester/AppData/Roaming"
localdata="$drive/Users/Tester/AppData/Local"
mkdir -p "$roaming" "$localdata"
export HOME="$out/home" XDG_CONFIG_HOME="$out/home/.config" XDG_CACHE_HOME="$out/home/.cache" \
       XDG_DATA_HOME="$out/home/.local/share" XDG_RUNTIME_DIR="$out/runtime"
unset DBUS_SESSION_BUS_ADDRESS

# The pages: 127.0.0.1 only, a port the system picks; the server ends by
# itself (after the whole check: two dozen browser runs on a loaded machine).
server_pid=""
stop_server() { [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null; server_pid=""; }
trap stop_server EXIT
python3 "$root/scripts/loopback_pages.py" "$out/port" 900 2>"$out/server.log" &
server_pid=$!
for _ in $(seq 50); do [ -s "$out/port" ] && break; sleep 0.1; done
[ -s "$out/port" ] || { bad "the page server did not start"; exit 1; }
site="http://127.0.0.1:$(cat "$out/port")"

q() { sqlite3 -readonly "$1" "$2" 2>&1; }   # one query; read-only, so nothing checkpoints

# Runs the tool on the drive; its output goes to $out/$1.out.
clean() {
  local name=$1; shift
  "$tool" "$drive" "$@" >"$out/$name.out" 2>"$out/$name.err"
}
field() { sed -n "s/^$1 $2 //p" "$3" | head -n1; }   # field WORD TYPE FILE

# ---------------------------------------------------------------- Firefox
firefox_check() {
  local ffdir="$roaming/Mozilla/Firefox"
  local prof="$ffdir/Profiles/vl7q.default-release"
  mkdir -p "$prof" "$ffdir/Profiles/x2m4.default"   # the empty legacy profile beside it
  # profiles.ini as Firefox writes it on Windows: the install's default wins.
  printf '%s\r\n' '[Install4F96D1932A9F858E]' 'Default=Profiles/vl7q.default-release' 'Locked=1' '' \
    '[Profile1]' 'Name=default' 'IsRelative=1' 'Path=Profiles/x2m4.default' 'Default=1' '' \
    '[Profile0]' 'Name=default-release' 'IsRelative=1' 'Path=Profiles/vl7q.default-release' '' \
    '[General]' 'StartWithLastProfile=1' 'Version=2' >"$ffdir/profiles.ini"
  cat >"$prof/user.js" <<'EOF'
user_pref("app.update.auto", false);
user_pref("app.update.enabled", false);
user_pref("app.normandy.enabled", false);
user_pref("app.shield.optoutstudies.enabled", false);
user_pref("browser.aboutwelcome.enabled", false);
user_pref("browser.newtab.preload", false);
user_pref("browser.newtabpage.enabled", false);
user_pref("browser.region.network.url", "");
user_pref("browser.region.update.enabled", false);
user_pref("browser.safebrowsing.blockedURIs.enabled", false);
user_pref("browser.safebrowsing.downloads.enabled", false);
user_pref("browser.safebrowsing.downloads.remote.enabled", false);
user_pref("browser.safebrowsing.malware.enabled", false);
user_pref("browser.safebrowsing.phishing.enabled", false);
user_pref("browser.safebrowsing.provider.google.updateURL", "");
user_pref("browser.safebrowsing.provider.google4.updateURL", "");
user_pref("browser.safebrowsing.provider.mozilla.updateURL", "");
user_pref("browser.search.update", false);
user_pref("browser.sessionstore.resume_from_crash", false);
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("browser.startup.page", 0);
user_pref("captivedetect.canonicalURL", "");
user_pref("datareporting.healthreport.uploadEnabled", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("dom.allow_scripts_to_close_windows", true);
user_pref("extensions.blocklist.enabled", false);
user_pref("extensions.getAddons.cache.enabled", false);
user_pref("extensions.systemAddon.update.enabled", false);
user_pref("extensions.update.enabled", false);
user_pref("geo.provider.network.url", "");
user_pref("media.gmp-manager.url", "");
user_pref("network.captive-portal-service.enabled", false);
user_pref("network.connectivity-service.enabled", false);
user_pref("network.dns.disablePrefetch", true);
user_pref("network.predictor.enabled", false);
user_pref("network.prefetch-next", false);
user_pref("network.proxy.http", "127.0.0.1");
user_pref("network.proxy.http_port", 9);
user_pref("network.proxy.no_proxies_on", "127.0.0.1");
user_pref("network.proxy.socks", "127.0.0.1");
user_pref("network.proxy.socks_port", 9);
user_pref("network.proxy.socks_remote_dns", true);
user_pref("network.proxy.ssl", "127.0.0.1");
user_pref("network.proxy.ssl_port", 9);
user_pref("network.proxy.type", 1);
user_pref("network.trr.mode", 5);
user_pref("security.OCSP.enabled", 0);
user_pref("services.settings.server", "http://127.0.0.1:9/");
user_pref("toolkit.telemetry.archive.enabled", false);
user_pref("toolkit.telemetry.enabled", false);
user_pref("toolkit.telemetry.server", "");
user_pref("toolkit.telemetry.unified", false);
user_pref("browser.download.folderList", 2);
user_pref("browser.download.dir", "DOWNLOADS_DIR");
user_pref("browser.download.useDownloadDir", true);
user_pref("browser.download.always_ask_before_handling_new_types", false);
user_pref("browser.download.manager.showWhenStarting", false);
user_pref("browser.helperApps.neverAsk.saveToDisk", "application/zip");
user_pref("browser.formfill.enable", true);
EOF
  mkdir -p "$out/downloads"
  sed -i "s|DOWNLOADS_DIR|$out/downloads|" "$prof/user.js"
  firefox_run() {  # URL: one headless run on the profile, ended by its page (or the limit)
    timeout -k 5 "$limit" firefox-esr --headless --no-remote -profile "$prof" "$1" >>"$out/firefox.log" 2>&1
  }
  # The pages lead on to each other and the last one closes the window.
  local rc
  firefox_run "$site/start.html"; rc=$?
  if [ $rc -ne 0 ]; then
    echo "SKIPPED: real Firefox profile (firefox-esr exited with $rc on its first run; see $out/firefox.log)"
    return
  fi
  firefox_run "$site/start.html"   # a second visit of each page
  local places="$prof/places.sqlite" cookies="$prof/cookies.sqlite"
  local start="$site/start.html" second="$site/second.html"
  check "firefox recorded two visits of each page" \
    "$(q "$places" "select count(*) from moz_historyvisits v join moz_places p on p.id=v.place_id where p.url like '$site/%'")" 6
  check "firefox stored the cookies, the apostrophes included" \
    "$(q "$cookies" "select group_concat(name||'='||value, ';') from (select name,value from moz_cookies order by name)")" \
    "fromscript=it's too;plain=one;quote=it's;second=two"

  # A bookmark on a visited page (Firefox is not running). Firefox keeps
  # foreign_count with triggers of its own connection, so it is raised here.
  sqlite3 "$places" "BEGIN;
    INSERT INTO moz_bookmarks (type, fk, parent, position, title, dateAdded, lastModified, guid, syncStatus, syncChangeCounter)
      SELECT 1, id, 3, (SELECT count(*) FROM moz_bookmarks WHERE parent = 3), 'Köln ☃ mark',
             strftime('%s','now')*1000000, strftime('%s','now')*1000000, 'vlCheckMark1', 1, 1
      FROM moz_places WHERE url = '$start';
    UPDATE moz_places SET foreign_count = foreign_count + 1 WHERE url = '$start';
    COMMIT;" || bad "the bookmark could not be added"
  local marks_before
  marks_before=$(q "$places" "select group_concat(b.guid||' '||p.url, ';') from moz_bookmarks b join moz_places p on p.id=b.fk")

  # A running Firefox holds its databases: the clean must change nothing
  # and say so. The scan runs first, with Firefox closed.
  local fifo="$out/go" tool_pid ff_pid
  rm -f "$fifo"; mkfifo "$fifo"
  "$tool" "$drive" --wait 405 406 <"$fifo" >"$out/locked.out" 2>"$out/locked.err" &
  tool_pid=$!
  exec 3>"$fifo"
  for _ in $(seq 100); do grep -q '^found 406' "$out/locked.out" && break; sleep 0.1; done
  local visits_before cookies_before
  visits_before=$(q "$places" "select count(*) from moz_historyvisits")
  cookies_before=$(q "$cookies" "select count(*) from moz_cookies")
  firefox_run "$site/stay.html?ms=15000" &
  ff_pid=$!
  # Held once the page is in: probed by reading only, so that Firefox's own
  # start never meets a lock of ours.
  local held=""
  for _ in $(seq 150); do
    if grep -q 'GET /stay.html' "$out/server.log" &&
       ! q "$places" "select count(*) from sqlite_master" >/dev/null &&
       ! q "$cookies" "select count(*) from sqlite_master" >/dev/null; then
      held=yes; break
    fi
    sleep 0.1
  done
  # A scan meanwhile cannot read the held files: it must say so, not list
  # nothing as if the browser had kept no trace.
  [ -n "$held" ] && clean scanheld 405 406
  echo go >&3; exec 3>&-
  wait "$tool_pid"
  wait "$ff_pid"; rc=$?
  [ -n "$held" ] && check "a scan while Firefox holds its files says so" \
    "$(grep -c '^scanerror 40[56] Firefox is running and holds its data. Close Firefox and scan again.$' "$out/scanheld.out")" 2
  if [ -z "$held" ]; then
    bad "a running Firefox did not hold places.sqlite and cookies.sqlite within 15 s"
  else
    check "the scan before Firefox started found the visits" "$(field found 405 "$out/locked.out")" 6
    check "history held by Firefox: not cleaned, with the reason" "$(field notcleaned 405 "$out/locked.out")" \
      "Firefox is running and holds its data. Close Firefox and clean again."
    check "cookies held by Firefox: not cleaned, with the reason" "$(field notcleaned 406 "$out/locked.out")" \
      "Firefox is running and holds its data. Close Firefox and clean again."
    check "nothing counted as cleaned while Firefox ran" \
      "$(field cleaned 405 "$out/locked.out") $(field cleaned 406 "$out/locked.out")" "0 0"
  fi
  check "Firefox ended normally after holding the files" "$rc" 0
  # The held run added its own page; everything from before is still there.
  check "no visit was lost while Firefox ran" \
    "$(q "$places" "select count(*) from moz_historyvisits v join moz_places p on p.id=v.place_id where p.url not like '$site/stay.html%'")" \
    "$visits_before"
  check "no cookie was lost while Firefox ran" "$(q "$cookies" "select count(*) from moz_cookies where name <> 'stay'")" \
    "$cookies_before"

  # The clean itself, Firefox closed; one page's visits and one cookie unticked.
  clean firefox --keep "$second" --keep "second@127.0.0.1" --report "$out/evidence_report.html" 405 406
  local found405 found406
  found405=$(field found 405 "$out/firefox.out"); found406=$(field found 406 "$out/firefox.out")
  check "the scan found every visit" "$found405" 7
  check "the scan found every cookie" "$found406" 5
  grep -q "^item 405 Grüße aus Köln ☃ | visits | $start\$" "$out/firefox.out" &&
    ok "a visit is listed with its non-ASCII title and URL" || bad "no item 'Grüße aus Köln ☃ | visits | $start' in $out/firefox.out"
  grep -q "^item 406 quote@127.0.0.1 | [0-9]* | \$" "$out/firefox.out" &&
    ok "a cookie is listed as name@host, without its value" || bad "no item 'quote@127.0.0.1 | id | ' in $out/firefox.out"
  grep -q "it's" <(grep '^item 406' "$out/firefox.out") &&
    bad "a cookie value is listed ($out/firefox.out)" || ok "no cookie value is listed"
  check "the cleaned counts leave the unticked items out" \
    "$(field cleaned 405 "$out/firefox.out") $(field cleaned 406 "$out/firefox.out")" "5 4"
  check "nothing reported as not cleaned" "$(grep -c '^notcleaned' "$out/firefox.out")" 0
  check "the visits are gone but the unticked page's" \
    "$(q "$places" "select group_concat(p.url, ' ') from moz_historyvisits v join moz_places p on p.id=v.place_id")" \
    "$second $second"
  check "the cookies are gone but the unticked one" \
    "$(q "$cookies" "select group_concat(name||'@'||host, ' ') from moz_cookies")" "second@127.0.0.1"
  check "every bookmark still points to its page" \
    "$(q "$places" "select group_concat(b.guid||' '||p.url, ';') from moz_bookmarks b join moz_places p on p.id=b.fk")" \
    "$marks_before"
  check "the bookmarked page kept its row, without its visits" \
    "$(q "$places" "select title||' '||visit_count||' '||ifnull(last_visit_date,'none') from moz_places where url='$start'")" \
    "Grüße aus Köln ☃ 0 none"
  check "a page nothing points to is gone" "$(q "$places" "select count(*) from moz_places where url like '$site/done.html%' or url like '$site/stay.html%'")" 0
  check "places.sqlite passes the integrity check" "$(q "$places" "PRAGMA integrity_check")" ok
  check "cookies.sqlite passes the integrity check" "$(q "$cookies" "PRAGMA integrity_check")" ok

  # Firefox opens the cleaned profile: it records a new visit beside the
  # kept bookmark (a database it could not use would be moved aside and
  # started anew, bookmarks lost).
  firefox_run "$site/done.html"; rc=$?
  check "Firefox runs on the cleaned profile and ends normally" "$rc" 0
  check "Firefox recorded its new visit in the cleaned database" \
    "$(q "$places" "select count(*) from moz_historyvisits v join moz_places p on p.id=v.place_id where p.url='$site/done.html'")" 1
  check "the bookmarks survive Firefox's own start" \
    "$(q "$places" "select group_concat(b.guid||' '||p.url, ';') from moz_bookmarks b join moz_places p on p.id=b.fk")" \
    "$marks_before"
  check "Firefox set no database aside as corrupt" "$(find "$prof" -name '*.corrupt*' | wc -l)" 0
  check "places.sqlite still passes the integrity check" "$(q "$places" "PRAGMA integrity_check")" ok

  # Form history and a download, as today's Firefox keeps them (moz_annos).
  firefox_run "$site/form.html"
  firefox_run "$site/download.html"
  local forms="$prof/formhistory.sqlite" annos
  annos="select count(*) from moz_annos a join moz_anno_attributes n on n.id=a.anno_attribute_id where n.name='downloads/destinationFileURI'"
  local typed downloaded
  typed=0
  [ -f "$forms" ] && typed=$(q "$forms" "select count(*) from moz_formhistory where value='vl typed search'")
  downloaded=$(q "$places" "$annos")
  [ "$typed" = 1 ] || echo "SKIPPED: Firefox form history (firefox-esr keeps no entry for a form its page filled in, only for typing)"
  [ "$downloaded" = 1 ] || echo "SKIPPED: Firefox downloads (firefox-esr recorded no download: '$downloaded')"
  [ "$typed" = 1 ] || [ "$downloaded" = 1 ] || return
  local marks_now
  marks_now=$(q "$places" "select group_concat(b.guid||' '||p.url, ';') from moz_bookmarks b join moz_places p on p.id=b.fk")
  clean firefox2 405 433
  if [ "$typed" = 1 ]; then
    grep -q "^item 433 q | formhistory | vl typed search\$" "$out/firefox2.out" &&
      ok "the form entry is listed with its field and text" || bad "no form history item in $out/firefox2.out"
    check "form history cleaned" "$(q "$forms" "select count(*) from moz_formhistory")" 0
  fi
  if [ "$downloaded" = 1 ]; then
    grep -q "^item 405 vl file.zip | annos | $site/file.zip\$" "$out/firefox2.out" &&
      ok "the download is listed with its file and address" || bad "no download item in $out/firefox2.out"
    check "the download is gone from the list" "$(q "$places" "$annos")" 0
  fi
  check "nothing reported as not cleaned (forms, downloads)" "$(grep -c '^notcleaned' "$out/firefox2.out")" 0
  check "the bookmarks survive the second clean" \
    "$(q "$places" "select group_concat(b.guid||' '||p.url, ';') from moz_bookmarks b join moz_places p on p.id=b.fk")" \
    "$marks_now"
  firefox_run "$site/done.html"; rc=$?
  check "Firefox runs after its forms and downloads were cleaned" "$rc" 0
  [ "$typed" = 1 ] && check "formhistory.sqlite passes the integrity check" "$(q "$forms" "PRAGMA integrity_check")" ok
}

# ---------------------------------------------------------------- Chromium
chromium_check() {
  local data="$localdata/Google/Chrome/User Data"
  mkdir -p "$data"
  chromium_run() {  # URL: loads the page headless, prints its DOM, ends
    timeout -k 5 "$limit" chromium --headless --no-sandbox --disable-gpu --no-first-run --no-default-browser-check \
      --disable-background-networking --disable-component-update --disable-sync --disable-breakpad \
      --disable-domain-reliability --disable-client-side-phishing-detection --disable-extensions \
      --metrics-recording-only --password-store=basic --disable-features=OptimizationHints,MediaRouter,Translate \
      --no-pings --disable-default-apps --dns-prefetch-disable --proxy-server=http://127.0.0.1:9 \
      --user-data-dir="$data" --dump-dom "$1" 2>>"$out/chromium.log"
  }
  local rc
  chromium_run "$site/start.html" >"$out/chromium1.dom"; rc=$?
  if [ $rc -ne 0 ]; then
    echo "SKIPPED: real Chromium profile (chromium exited with $rc on its first run; see $out/chromium.log)"
    return
  fi
  chromium_run "$site/second.html" >/dev/null
  local history="$data/Default/History" cookies=""
  for f in "$data/Default/Network/Cookies" "$data/Default/Cookies"; do [ -f "$f" ] && cookies=$f && break; done
  check "chromium recorded the visits with their titles" \
    "$(q "$history" "select group_concat(title, ' / ') from (select title from urls where url like '$site/%' order by id)")" \
    "Grüße aus Köln ☃ / Второй — 第二"
  if [ -n "$cookies" ]; then
    check "chromium stored the cookies" "$(q "$cookies" "select count(*) from cookies where host_key='127.0.0.1'")" 4
  else
    bad "chromium left no Cookies file below $data/Default"
  fi

  clean chromium 411 412 413
  local f found
  for t in 411 412; do
    found=$(field found $t "$out/chromium.out")
    if [ "${found:-0}" -gt 0 ] && [ "$(field cleaned $t "$out/chromium.out")" = "$found" ]; then
      ok "type $t: all $found items found and cleaned"
    else
      bad "type $t: found '${found}', cleaned '$(field cleaned $t "$out/chromium.out")' ($out/chromium.out)"
    fi
  done
  grep -qF 'Default\History | ' "$out/chromium.out" &&
    ok "the history file is listed" || bad "no item for Default\\History in $out/chromium.out"
  for f in "$history" "$cookies"; do
    [ -n "$f" ] && [ ! -e "$f" ] && ok "removed: ${f#$drive/}" || bad "still there: ${f#$drive/}"
  done

  # Chromium opens the cleaned profile and starts new files.
  chromium_run "$site/done.html" >"$out/chromium2.dom"; rc=$?
  check "chromium runs on the cleaned profile and ends normally" "$rc" 0
  grep -q '<title>Done</title>' "$out/chromium2.dom" && ok "chromium showed the page" || bad "chromium showed no page ($out/chromium2.dom)"
  check "the new history holds only the new visit" \
    "$(q "$history" "select group_concat(url, ' ') from urls where url like '$site/%'")" "$site/done.html"
}


# ------------------------------------------------- the Chromium family
# Two profiles made by the real chromium (a bookmark on a visited page,
# cookies of two sites: 127.0.0.1 and localhost), laid out under each
# browser's Windows folder, scanned and cleaned with one URL and one cookie
# unticked; then chromium opens every cleaned profile again.
family_check() {
  local made="$out/family-made" port
  port=$(cat "$out/port")
  local first="$site/start.html" second="http://localhost:$port/second.html"
  family_run() {  # DATA_DIR PROFILE URL
    timeout -k 5 "$limit" chromium --headless --no-sandbox --disable-gpu --no-first-run --no-default-browser-check \
      --disable-background-networking --disable-component-update --disable-sync --disable-breakpad \
      --disable-domain-reliability --disable-client-side-phishing-detection --disable-extensions \
      --metrics-recording-only --password-store=basic --disable-features=OptimizationHints,MediaRouter,Translate \
      --no-pings --disable-default-apps --dns-prefetch-disable --proxy-server=http://127.0.0.1:9 \
      --user-data-dir="$1" --profile-directory="$2" --dump-dom "$3" 2>>"$out/family.log"
  }
  local p rc
  for p in Default "Profile 1"; do
    family_run "$made" "$p" "$first" >/dev/null; rc=$?
    if [ $rc -ne 0 ]; then
      echo "SKIPPED: Chromium-family profiles (chromium exited with $rc; see $out/family.log)"; return
    fi
    family_run "$made" "$p" "$second" >/dev/null
  done
  # The bookmark on the visited first page, written while chromium is closed.
  local marks='{"roots":{"bookmark_bar":{"children":[{"date_added":"13300000000000000","guid":"0b1c2d3e-4f50-4617-8829-3a4b5c6d7e8f","id":"5","name":"vl mark","type":"url","url":"'"$first"'"}],"date_added":"13300000000000000","date_modified":"0","guid":"0bc5d13f-2cba-5d74-951f-3f233fe6c908","id":"1","name":"Bookmarks bar","type":"folder"},"other":{"children":[],"date_added":"13300000000000000","date_modified":"0","guid":"82b081ec-3dd3-529c-8475-ab6c344590dd","id":"2","name":"Other bookmarks","type":"folder"},"synced":{"children":[],"date_added":"13300000000000000","date_modified":"0","guid":"4cf2e351-0e85-532b-bb37-df045d8f8d0f","id":"3","name":"Mobile bookmarks","type":"folder"}},"version":1}'
  for p in Default "Profile 1"; do
    printf '%s' "$marks" >"$made/$p/Bookmarks"
    [ -f "$made/$p/Login Data" ] || printf 'saved passwords' >"$made/$p/Login Data"
    cp "$made/$p/Bookmarks" "$made/$p/Bookmarks.bak"
  done
  local ck
  ck=$(ls "$made/Default/Network/Cookies" "$made/Default/Cookies" 2>/dev/null | head -n1)
  check "chromium stored cookies of both sites" \
    "$(q "$ck" "select count(distinct host_key) from cookies where host_key in ('127.0.0.1','localhost')")" 2
  check "chromium recorded both pages in the second profile" \
    "$(q "$made/Profile 1/History" "select count(*) from urls where url in ('$first','$second')")" 2

  # Each browser's Windows folder: the User Data layout, or Opera's one
  # profile in the folder itself.
  local -A places=(
    [edge]="$localdata/Microsoft/Edge/User Data" [brave]="$localdata/BraveSoftware/Brave-Browser/User Data"
    [vivaldi]="$localdata/Vivaldi/User Data" [chromium]="$localdata/Chromium/User Data"
    [opera]="$roaming/Opera Software/Opera Stable" [operagx]="$roaming/Opera Software/Opera GX Stable")
  local b dir
  for b in "${!places[@]}"; do
    dir=${places[$b]}
    mkdir -p "$(dirname "$dir")"
    case $b in
      opera*) cp -a "$made/Default" "$dir" ;;
      *) mkdir -p "$dir"; cp -a "$made/Local State" "$made/Default" "$made/Profile 1" "$dir/" ;;
    esac
  done
  local types="415 416 417 418 419 420 421 422 423 424 425 426 427 428 429 430 431 432"
  clean family --keep "$second" --keep "quote@127.0.0.1" $types
  local t n
  for t in 415 418 421 430; do
    check "type $t: both profiles' URLs listed" "$(grep -c "^item $t .*| urls |" "$out/family.out")" 4
  done
  for t in 424 427; do
    check "type $t: the one profile's URLs listed" "$(grep -c "^item $t .*| urls |" "$out/family.out")" 2
  done
  grep -q "^item 415 \[.*\] " "$out/family.out" && ok "history items name their profile" ||
    bad "no item names its profile ($out/family.out)"
  check "nothing reported as not cleaned" "$(grep -c '^notcleaned' "$out/family.out")" 0
  check "no cookie value is listed" "$(grep '^item 41[69] ' "$out/family.out" | grep -c "it's")" 0
  local prof hist cookie
  for b in "${!places[@]}"; do
    dir=${places[$b]}
    case $b in opera*) set -- "$dir" ;; *) set -- "$dir/Default" "$dir/Profile 1" ;; esac
    for prof in "$@"; do
      hist="$prof/History"
      cookie=$(ls "$prof/Network/Cookies" "$prof/Cookies" 2>/dev/null | head -n1)
      n="$b ${prof##*/}"
      check "$n: only the unticked URL stays" \
        "$(q "$hist" "select group_concat(url, ' ') from urls where url like 'http://%'")" "$second"
      check "$n: its visits stay with it" \
        "$(q "$hist" "select count(*) from visits v join urls u on u.id=v.url where u.url='$second'") $(q "$hist" "select count(*) from visits")" "1 1"
      check "$n: only the unticked cookie stays" \
        "$(q "$cookie" "select group_concat(name||'@'||host_key, ' ') from cookies")" "quote@127.0.0.1"
      check "$n: the bookmarks are untouched" "$(cmp -s "$prof/Bookmarks" "$made/Default/Bookmarks" && echo same)" same
      check "$n: Bookmarks.bak is untouched" "$(cmp -s "$prof/Bookmarks.bak" "$made/Default/Bookmarks.bak" && echo same)" same
      check "$n: the saved passwords are untouched" \
        "$(cmp -s "$prof/Login Data" "$made/${prof##*/}/Login Data" 2>/dev/null || cmp -s "$prof/Login Data" "$made/Default/Login Data"; echo $?)" 0
      check "$n: History passes the integrity check" "$(q "$hist" "PRAGMA integrity_check")" ok
    done
  done

  # chromium opens each cleaned profile again: it runs, records its visit,
  # and the bookmark is still there. Opera's folder is a profile itself.
  local data shown
  for b in "${!places[@]}"; do
    dir=${places[$b]}
    case $b in
      opera*) data="$out/reopen-$b"; mkdir -p "$data"; ln -sfn "$dir" "$data/Default"; set -- Default ;;
      *) data=$dir; set -- Default "Profile 1" ;;
    esac
    for p in "$@"; do
      family_run "$data" "$p" "$site/done.html" >"$out/family-$b.dom"; rc=$?
      check "$b $p: chromium runs on the cleaned profile" "$rc" 0
      grep -q '<title>Done</title>' "$out/family-$b.dom" && ok "$b $p: chromium showed the page" ||
        bad "$b $p: chromium showed no page ($out/family-$b.dom)"
      check "$b $p: the new visit and the kept one" \
        "$(q "$data/$p/History" "select group_concat(url, ' ') from (select url from urls where url like 'http://%' order by id)")" \
        "$second $site/done.html"
      grep -qF "\"url\":\"$first\"" "$data/$p/Bookmarks" && ok "$b $p: the bookmark is still there" ||
        bad "$b $p: the bookmark is gone ($data/$p/Bookmarks)"
    done
  done
}

# ---------------------------------------------------------------- the report
# The evidence report of the Firefox scan, as Chromium reads it: the
# captions, the browsers' non-ASCII titles and the apostrophes come through
# as text, and one group expanded is kept as a screenshot.
report_check() {
  local report="$out/evidence_report.html"
  if [ ! -s "$report" ]; then bad "no evidence report was written"; return; fi
  local flags=(--headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking
               --disable-component-update --disable-sync --disable-extensions --proxy-server=http://127.0.0.1:9
               --user-data-dir="$out/report-profile")
  timeout -k 5 "$limit" chromium "${flags[@]}" --dump-dom "file://$report" >"$out/evidence_report.dom" 2>>"$out/chromium.log"
  local dom="$out/evidence_report.dom"
  grep -qF 'Internet Software - Firefox History' "$dom" && grep -qF 'Internet Software - Firefox Cookies' "$dom" &&
    ok "the report has a group per type" || bad "the report's groups are missing ($dom)"
  grep -qF 'Grüße aus Köln ☃' "$dom" && grep -qF 'Второй — 第二' "$dom" &&
    ok "the report shows the non-ASCII titles" || bad "the report lost the non-ASCII titles ($dom)"
  grep -qF 'quote@127.0.0.1' "$dom" && ok "the report names the cookies" || bad "the report lost a cookie ($dom)"
  # Cookie values are session credentials: the report never holds them.
  grep -qF "it's too" "$dom" && bad "the report shows a cookie value ($dom)" || ok "the report shows no cookie value"
  # Expanded first group, as a user sees it after one click.
  cp "$report" "$out/evidence_report_open.html"
  printf '%s\n' '<script>var a = document.querySelector("tr[id] a"); if (a) a.click();</script>' >>"$out/evidence_report_open.html"
  timeout -k 5 "$limit" chromium "${flags[@]}" --screenshot="$out/evidence_report.png" --window-size=1000,800 \
    "file://$out/evidence_report_open.html" >/dev/null 2>>"$out/chromium.log"
}

if command -v firefox-esr >/dev/null; then
  firefox_check
else
  echo "SKIPPED: real Firefox profile (firefox-esr is not installed)"
fi
if command -v chromium >/dev/null; then
  [ -e "$out/evidence_report.html" ] && report_check
  chromium_check
  family_check
else
  echo "SKIPPED: real Chromium profile (chromium is not installed)"
fi

stop_server
echo "browser check: $fails failed (files in $out)"
[ "$fails" -eq 0 ]
