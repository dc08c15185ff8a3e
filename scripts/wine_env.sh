# Sourced by the scripts that run Windows programs. Sets up a throw-away
# 64-bit Wine prefix inside the build folder (the i686 programs run there as
# WOW64 processes), with drive Z: removed: by default Wine maps Z: to the
# Linux root, and a junk clean there would delete real files.
#   vl_wine_prefix          create/refresh the prefix, start a persistent wineserver
#   vl_wine_install FILE..  copy files into C:\vl\bin of the prefix
#   vl_wine_stop            stop the wineserver
vl_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="$vl_root/build/wine/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs in a test prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="

vl_wine_drop_z() {
  rm -f "$WINEPREFIX/dosdevices/z:" "$WINEPREFIX/dosdevices/z::"
  if [ -e "$WINEPREFIX/dosdevices/z:" ]; then
    echo "refusing to go on: $WINEPREFIX/dosdevices/z: still exists" >&2
    return 1
  fi
  # Wine links the profile folders (Desktop, Documents ...) to the Linux home:
  # make them plain folders of the prefix, so no walk or deletion reaches home.
  local link
  while IFS= read -r link; do
    rm -f "$link" && mkdir -p "$link"
  done < <(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -type l 2>/dev/null)
  if [ -n "$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -type l 2>/dev/null)" ]; then
    echo "refusing to go on: the prefix still links to folders outside it" >&2
    return 1
  fi
}

vl_wine_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  vl_wine_drop_z
  wineserver -p >/dev/null 2>&1 || true
  vl_wine_drop_z
  mkdir -p "$WINEPREFIX/drive_c/vl/bin"
}

vl_wine_install() {
  cp -f "$@" "$WINEPREFIX/drive_c/vl/bin/"
}

vl_wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
}

# Starts Xvfb on a free display unless one is given; sets DISPLAY.
vl_xvfb_start() {
  local n=91
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  vl_xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.1
  done
  echo "Xvfb did not start" >&2
  return 1
}

vl_xvfb_stop() {
  [ -n "${vl_xvfb_pid:-}" ] && kill "$vl_xvfb_pid" 2>/dev/null || true
}
