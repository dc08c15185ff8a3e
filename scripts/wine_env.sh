# Sourced by the scripts that run Windows programs. Each Windows build has a
# throw-away 64-bit Wine prefix of its own inside the build folder
# (build/wine/windows64 for the x86_64 build, build/wine/windows for the i686
# one, whose programs run there as WOW64 processes). No drive but C: and no
# link out of the prefix: by default Wine maps Z: to the Linux root and links
# the profile folders to the Linux home, and a junk clean there would delete
# real files.
#   vl_wine_flavour FLAVOUR  choose the build: sets WINEPREFIX, VL_WIN_BIN and its loader
#   vl_can_run_32bit         true when 32-bit Windows programs can run here;
#                            otherwise VL_NO32_REASON says why
#   vl_wine_prefix           create/refresh the prefix, start a persistent wineserver
#                            (set DISPLAY first: Wine's desktop starts here)
#   vl_wine_guard            fail when the prefix reaches outside itself
#   vl_wine PROGRAM ARGS..   guard, then run a Windows program in the prefix
#   vl_wine_install FILE..   copy files into C:\vl\bin of the prefix
#   vl_wine_stop             stop the wineserver
vl_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs in a test prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Loaders named directly: Debian's `wine`, `wineboot` and `regedit` commands
# take the 32-bit loader whenever wine32 is installed, and machines without
# 32-bit support cannot run it. The prefix is made and served by the 64-bit
# parts; each build's programs start through the loader of their own bitness.
VL_WINE64=/usr/lib/wine/wine64
VL_WINE32=/usr/lib/wine/wine
VL_WINE_LOADER=$VL_WINE64
VL_WINESERVER=/usr/lib/wine/wineserver64
# Wine's home and its recycle bin (the freedesktop trash of $XDG_DATA_HOME)
# stay inside the build folder.
vl_wine_home="$vl_root/build/wine/home"
# Guard failures go to the terminal even while a program's output goes to a log.
exec {vl_wine_err}>&2

vl_wine_flavour() {
  VL_WIN_FLAVOUR=$1
  export WINEPREFIX="$vl_root/build/wine/$1"
  VL_WIN_BIN="$vl_root/build/$1/bin"
  VL_WINE_LOADER=$VL_WINE64
  [ "$1" = windows ] && VL_WINE_LOADER=$VL_WINE32
  return 0
}

vl_can_run_32bit() {
  VL_NO32_REASON=""
  local why
  if ! why=$("$vl_root/scripts/probe32.sh"); then
    VL_NO32_REASON=$why
  elif [ ! -x "$VL_WINE32" ]; then
    VL_NO32_REASON="Wine's 32-bit loader (package wine32:i386) is not installed"
  elif ! "$VL_WINE32" --version >/dev/null 2>&1; then
    VL_NO32_REASON="Wine's 32-bit loader $VL_WINE32 does not start"
  fi
  [ -z "$VL_NO32_REASON" ]
}

# vl_wine_with LOADER PROGRAM ARGS..: runs it with our home and trash, no guard.
vl_wine_with() {
  HOME="$vl_wine_home" XDG_DATA_HOME="$vl_wine_home/.local/share" \
    XDG_CONFIG_HOME="$vl_wine_home/.config" "$@"
}

vl_wine_guard() {
  local dev="$WINEPREFIX/dosdevices" entry name target bad=()
  [ -d "$dev" ] || bad+=("$dev is missing (Wine would create it with Z: mapped to /)")
  for entry in "$dev"/* "$dev"/.[!.]*; do
    [ -e "$entry" ] || [ -L "$entry" ] || continue
    name=$(basename "$entry")
    case "$name" in
      c:) target=$(readlink "$entry")
          [ "$target" = ../drive_c ] || [ "$target" = "$WINEPREFIX/drive_c" ] ||
            bad+=("C: points to $target, not to drive_c") ;;
      com[0-9]*|lpt[0-9]*) ;;  # serial and parallel port devices
      *) bad+=("dosdevices/$name -> $(readlink "$entry")") ;;
    esac
  done
  local prefix
  prefix=$(realpath "$WINEPREFIX")
  while IFS= read -r entry; do
    target=$(realpath -m "$entry")
    case "$target" in
      "$prefix"/*) ;;
      *) bad+=("${entry#"$WINEPREFIX"/} -> $target") ;;
    esac
  done < <(find "$WINEPREFIX/drive_c" -type l 2>/dev/null)
  [ ${#bad[@]} -eq 0 ] && return 0
  echo "refusing to run Windows programs: the Wine prefix $WINEPREFIX reaches outside itself:" >&$vl_wine_err
  printf '  %s\n' "${bad[@]}" >&$vl_wine_err
  return 1
}

vl_wine() {
  vl_wine_guard || exit 1
  vl_wine_with "$VL_WINE_LOADER" "$@"
}

# Wine links the profile folders (Desktop, Documents ...) to its home: make
# them plain folders of the prefix, so no walk or deletion leaves it.
vl_wine_unlink_profile() {
  local link
  while IFS= read -r link; do
    rm -f "$link" && mkdir -p "$link"
  done < <(find "$WINEPREFIX/drive_c/users" -type l 2>/dev/null)
}

vl_wine_prefix() {
  mkdir -p "$WINEPREFIX" "$vl_wine_home/.local/share" "$vl_wine_home/.config"
  # Wine maps Z: to / only when it creates dosdevices itself: make it first.
  if [ ! -d "$WINEPREFIX/dosdevices" ]; then
    mkdir -p "$WINEPREFIX/dosdevices" "$WINEPREFIX/drive_c"
    ln -s ../drive_c "$WINEPREFIX/dosdevices/c:"
  fi
  # A persistent server left from an earlier run would keep `wineserver -w` waiting.
  "$VL_WINESERVER" -k >/dev/null 2>&1 || true
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    vl_wine_guard || return 1
    echo "   creating the Wine prefix $WINEPREFIX"
    vl_wine_with "$VL_WINE64" wineboot -i >"$WINEPREFIX.wineboot.log" 2>&1 || true
  else
    # Brings the prefix up to date after a Wine upgrade now, not in the middle of a test.
    vl_wine_with "$VL_WINE64" wineboot >/dev/null 2>&1 || true
  fi
  "$VL_WINESERVER" -w
  vl_wine_unlink_profile
  vl_wine_guard || return 1
  "$VL_WINESERVER" -p >/dev/null 2>&1 || true
  # Wine's services live as long as the persistent server and keep the output
  # of the program that started them: start them here, on /dev/null, so that
  # no later pipe waits for them.
  vl_wine_with "$VL_WINE64" cmd /c exit </dev/null >/dev/null 2>&1 || true
  mkdir -p "$WINEPREFIX/drive_c/vl/bin"
}

vl_wine_install() {
  cp -f "$@" "$WINEPREFIX/drive_c/vl/bin/"
}

vl_wine_stop() {
  [ -n "${WINEPREFIX:-}" ] && "$VL_WINESERVER" -k >/dev/null 2>&1 || true
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
