#!/usr/bin/env bash
# Builds Vantorel for Windows and starts it under Wine in the project's own
# sandbox prefix (build/wine/prefix, drive Z: removed). Without a display it
# runs under Xvfb, saves a screenshot of the main window and says where.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install_deps.sh all
scripts/build.sh windows --target Vantorel
. scripts/wine_env.sh
vl_wine_prefix
app="$WINEPREFIX/drive_c/Program Files (x86)/Vantorel"
mkdir -p "$app"
cp -f build/windows/bin/Vantorel.exe "$app/"
exe='C:\Program Files (x86)\Vantorel\Vantorel.exe'

if [ -n "${DISPLAY:-}" ]; then
  echo "Starting Vantorel under Wine (prefix $WINEPREFIX)"
  wine "$exe"
  exit 0
fi

vl_xvfb_start
trap 'vl_wine_stop; vl_xvfb_stop' EXIT
wine "$exe" &
shot="$root/build/screenshots/run.png"
mkdir -p "$(dirname "$shot")"
for _ in $(seq 1 300); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"Vantorel Center"'; then break; fi
  sleep 0.2
done
sleep 2
/usr/bin/import -window root "$shot"
echo "No display: Vantorel ran under Xvfb on $DISPLAY. Screenshot: $shot"
echo "To use it interactively, run this script from a desktop session (DISPLAY set)."
