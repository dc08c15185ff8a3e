#!/usr/bin/env bash
# Builds Vantorel for Windows and starts it under Wine in the project's own
# sandbox prefix (build/wine/FLAVOUR: drive C: only, no link out of it).
# Without a display it runs under Xvfb, saves a screenshot of the main window
# and says where.
# Usage: [VL_UPDATE_SERVER=URL] scripts/run.sh [windows64|windows]
#   windows64 (default): the x86_64 build, which runs on every machine;
#   windows: the i686 build, where the machine can run 32-bit programs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
flavour=${1:-windows64}
case "$flavour" in
  windows64) folder='Program Files' ;;
  windows) folder='Program Files (x86)' ;;
  *) echo "usage: scripts/run.sh [windows64|windows]" >&2; exit 2 ;;
esac
scripts/install_deps.sh all
. scripts/wine_env.sh
if [ "$flavour" = windows ] && ! vl_can_run_32bit; then
  echo "The i686 build cannot run here: $VL_NO32_REASON." >&2
  echo "Run scripts/run.sh (the x86_64 build) instead." >&2
  exit 1
fi
scripts/build.sh "$flavour" --target Vantorel Update
# The display comes first: Wine's desktop process starts with the prefix's
# services and keeps the display it was started with.
headless=""
if [ -z "${DISPLAY:-}" ]; then
  headless=yes
  vl_xvfb_start
  trap 'vl_wine_stop; vl_xvfb_stop' EXIT
fi
vl_wine_flavour "$flavour"
vl_wine_prefix
app="$WINEPREFIX/drive_c/$folder/Vantorel"
mkdir -p "$app"
# The updater lives beside the program it replaces.
cp -f "$VL_WIN_BIN/Vantorel.exe" "$VL_WIN_BIN/Update.exe" "$app/"
exe="C:\\$folder\\Vantorel\\Vantorel.exe"
# VL_UPDATE_SERVER=http://127.0.0.1:PORT points both programs at a server of
# your own (Settings.ini [Update] Server); otherwise the built-in address.
if [ -n "${VL_UPDATE_SERVER:-}" ]; then
  ini="$app/Settings.ini"
  touch "$ini"
  sed -i '/^\[Update\]/,/^\[/{/^Server=/d}' "$ini"
  grep -q '^\[Update\]' "$ini" || printf '[Update]\r\n' >>"$ini"
  sed -i "/^\[Update\]/a Server=${VL_UPDATE_SERVER}\r" "$ini"
fi

if [ -z "$headless" ]; then
  echo "Starting Vantorel ($flavour build) under Wine (prefix $WINEPREFIX)"
  vl_wine "$exe"
  exit 0
fi

vl_wine "$exe" &
shot="$root/build/screenshots/run.png"
mkdir -p "$(dirname "$shot")"
for _ in $(seq 1 300); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"Vantorel Center"'; then break; fi
  sleep 0.2
done
sleep 2
/usr/bin/import -window root "$shot"
echo "No display: Vantorel ($flavour build) ran under Xvfb on $DISPLAY. Screenshot: $shot"
echo "To use it interactively, run this script from a desktop session (DISPLAY set)."
