#!/usr/bin/env bash
# The installer under Wine in a fresh prefix of its own: silent install,
# the installed program's window, files, shortcut and Uninstall values, a
# registry scan that reports nothing of Vantorel's own entries, an upgrade
# over the running program that keeps settings and backups, a refused
# downgrade, the quiet uninstall (synchronous, backups kept) and /D= with a
# blank through a .bat. Prints "ok: ..." and "FAIL: ..." lines.
# Usage: scripts/installer_wine_check.sh [FLAVOUR]   (needs DISPLAY: Xvfb)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
flavour=${1:-windows64}
. "$root/scripts/wine_env.sh"
vl_wine_flavour "$flavour"
build="$root/build/$flavour"
arch=x64; [ "$flavour" = windows ] && arch=x86
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
next=$(sed -n 's/^VL_NEXT_VERSION:INTERNAL=//p' "$build/CMakeCache.txt")
setup="$build/installer/Vantorel-Setup-$version-$arch.exe"
setup_next="$build/installer/testing/Vantorel-Setup-$next-$arch.exe"
ok() { echo "ok: $*"; }
fail() { echo "FAIL: $*"; }
check() { local what=$1; shift; if "$@"; then ok "$what"; else fail "$what"; fi; }
[ -f "$setup" ] && [ -f "$setup_next" ] || { fail "the installers were not built ($setup, $setup_next)"; exit 1; }
# The installers of both builds are 32-bit programs (NSIS's stub), which a
# Wine without its 32-bit loader starts and ends at once with exit 0.
if ! vl_can_run_32bit; then
  echo "SKIPPED: installer check ($flavour): the installer is a 32-bit program and $VL_NO32_REASON"
  exit 0
fi

export WINEPREFIX="$root/build/wine/setup-$flavour"
rm -rf "$WINEPREFIX"
vl_wine_prefix || { fail "the Wine prefix could not be prepared"; exit 1; }
trap vl_wine_stop EXIT
c="$WINEPREFIX/drive_c"
mkdir -p "$c/vlsetup" "$c/vlout"
cp "$setup" "$c/vlsetup/setup.exe"
cp "$setup_next" "$c/vlsetup/setup_next.exe"
cp "$VL_WIN_BIN/vl_cli_probe.exe" "$c/vlsetup/"
pf="$c/Program Files/Vantorel"
[ "$arch" = x86 ] && pf="$c/Program Files (x86)/Vantorel"
lnk="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Vantorel.lnk"
ukey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantorel'
[ "$arch" = x86 ] && ukey='HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Vantorel'
value() {  # NAME: the value's data in the Uninstall entry
  vl_wine reg query "$ukey" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}
bat() {  # NAME LINE: runs LINE from a .bat (arguments reach the program unquoted)
  printf '@echo off\r\n%s\r\nexit /b %%errorlevel%%\r\n' "$2" >"$c/vlsetup/$1.bat"
  vl_wine cmd /c "C:\\vlsetup\\$1.bat" </dev/null >/dev/null 2>&1
}
t0=$SECONDS

vl_wine 'C:\vlsetup\setup.exe' /S </dev/null >/dev/null 2>&1
check "the silent install exits 0" [ $? = 0 ]
for f in Vantorel.exe Update.exe uninstall.exe; do check "installed: $f" [ -f "$pf/$f" ]; done
check "the Start menu shortcut for all users" [ -f "$lnk" ]
check "no desktop shortcut by default" [ ! -e "$c/users/Public/Desktop/Vantorel.lnk" ]
check "DisplayVersion is $version" [ "$(value DisplayVersion)" = "$version" ]
for v in DisplayName Publisher InstallLocation DisplayIcon UninstallString QuietUninstallString EstimatedSize \
         NoModify NoRepair URLInfoAbout; do
  check "the Uninstall entry has $v" [ -n "$(value $v)" ]
done
check "QuietUninstallString waits for the removal" grep -q '/S _?=' <<<"$(value QuietUninstallString)"
echo "   install: $((SECONDS - t0)) s"

# The installed program shows its window.
win_pf='C:\Program Files\Vantorel'; [ "$arch" = x86 ] && win_pf='C:\Program Files (x86)\Vantorel'
vl_wine "$win_pf\Vantorel.exe" </dev/null >/dev/null 2>&1 &
window_shown() { vl_wine 'C:\vlsetup\vl_cli_probe.exe' window VantorelMainWindow 60 </dev/null >"$c/vlout/window.txt" 2>&1; }
check "the installed Vantorel shows its window" window_shown
# A registry scan of this machine reports nothing of Vantorel's own entries.
vl_wine "$win_pf\\Vantorel.exe" /scan /registry /json 'C:\vlout\installed.json' </dev/null >/dev/null 2>&1
check "the registry scan ran" [ -s "$c/vlout/installed.json" ]
check "the registry scan reports nothing of Vantorel" \
  python3 -c "import json,sys; d=json.load(open(sys.argv[1])); bad=[p for p in d['registry']['details'] if 'vantorel' in json.dumps(p).lower()]; print(bad); sys.exit(1 if bad else 0)" \
  "$c/vlout/installed.json"
echo "   window and scan: $((SECONDS - t0)) s"

# Upgrade in place over the running program: settings and backups stay.
mkdir -p "$pf/backup/repair_backup"
echo kept >"$pf/backup/repair_backup/20260101000000.reg"
printf '[Basic]\r\nAuto Update=0\r\n' >"$pf/Settings.ini"
vl_wine 'C:\vlsetup\setup_next.exe' /S </dev/null >/dev/null 2>&1
check "the newer installer exits 0 over the running program" [ $? = 0 ]
check "DisplayVersion is now $next" [ "$(value DisplayVersion)" = "$next" ]
check "the newer program is installed" cmp -s "$pf/Vantorel.exe" "$build/installer/vl_installer_next-files/Vantorel.exe"
check "Settings.ini is kept" grep -q 'Auto Update=0' "$pf/Settings.ini"
check "backup\\ is kept" [ -f "$pf/backup/repair_backup/20260101000000.reg" ]
check "data.db is kept" [ -f "$pf/data.db" ]
vl_wine 'C:\vlsetup\setup.exe' /S </dev/null >/dev/null 2>&1
check "a downgrade is refused (exit 3)" [ $? = 3 ]
check "the downgrade changed nothing" [ "$(value DisplayVersion)" = "$next" ]
echo "   upgrade: $((SECONDS - t0)) s"

# The quiet uninstall, as a fleet tool runs it, returns when it is done.
quiet=$(value QuietUninstallString)
bat quiet "$quiet"
check "QuietUninstallString exits 0" [ $? = 0 ]
check "the programs are gone" [ ! -e "$pf/Vantorel.exe" ] && [ ! -e "$pf/Update.exe" ]
check "the shortcut is gone" [ ! -e "$lnk" ]
check "the Uninstall entry is gone" [ -z "$(value DisplayName)" ]
check "backup\\ is kept" [ -f "$pf/backup/repair_backup/20260101000000.reg" ]
echo "   uninstall: $((SECONDS - t0)) s"

# /D= with a blank, unquoted, as NSIS takes it.
bat spaced 'C:\vlsetup\setup.exe /S /D=C:\Other Place\Vantorel'
check "the install into a folder with a blank exits 0" [ $? = 0 ]
check "it went into C:\\Other Place\\Vantorel" [ -f "$c/Other Place/Vantorel/Vantorel.exe" ]
check "InstallLocation names that folder" [ "$(value InstallLocation)" = 'C:\Other Place\Vantorel' ]
bat quiet2 "$(value QuietUninstallString)"
check "and its quiet uninstall removes it" [ ! -e "$c/Other Place/Vantorel/Vantorel.exe" ]
echo "   /D=: $((SECONDS - t0)) s"

# The interactive installer, its pages driven with window messages (Next,
# Next, Install, Finish).
vl_wine 'C:\vlsetup\setup.exe' </dev/null >/dev/null 2>&1 &
setup_pid=$!
drive() { vl_wine 'C:\vlsetup\vl_cli_probe.exe' drive 'Vantorel Setup' 90 </dev/null >"$c/vlout/drive.txt" 2>&1; }
check "the interactive installer's pages are clicked through" drive
# A wizard left waiting on a page would keep the run waiting.
grep -q '^clicks=' "$c/vlout/drive.txt" || "$VL_WINESERVER" -k >/dev/null 2>&1
wait "$setup_pid"
check "the interactive installer exits 0" [ $? = 0 ]
check "the interactive install put the programs in place" [ -f "$pf/Vantorel.exe" ]
check "the interactive install wrote the Uninstall entry" [ "$(value DisplayVersion)" = "$version" ]
bat quiet3 "$(value QuietUninstallString)"
echo "   interactive: $((SECONDS - t0)) s"
exit 0
