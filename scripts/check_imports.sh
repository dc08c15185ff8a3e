#!/usr/bin/env bash
# Checks that the shipped programs import only DLLs that Windows never
# looks for beside the program: the KnownDLLs (loaded from the system's
# own copies) and comctl32.dll (bound through the manifest to the system's
# side-by-side copy). Any other DLL a program imports would be loaded from
# its folder first, where a planted copy would run as administrator; such
# DLLs are loaded at run time from the system folder instead.
# Usage: scripts/check_imports.sh EXE...   Prints "ok: " or "FAIL: " per exe.
set -uo pipefail

# HKLM\System\CurrentControlSet\Control\Session Manager\KnownDLLs of
# Windows 10 and 11 (ntdll is always the system's), plus comctl32.
allowed=" advapi32.dll clbcatq.dll combase.dll comdlg32.dll coml2.dll difxapi.dll gdi32.dll gdiplus.dll
 imagehlp.dll imm32.dll kernel32.dll msctf.dll msvcrt.dll normaliz.dll nsi.dll ntdll.dll ole32.dll
 oleaut32.dll psapi.dll rpcrt4.dll sechost.dll setupapi.dll shcore.dll shell32.dll shlwapi.dll user32.dll
 wldap32.dll ws2_32.dll comctl32.dll "
allowed=" $(echo $allowed) "

objdump=""
for tool in x86_64-w64-mingw32-objdump i686-w64-mingw32-objdump objdump; do
  if command -v "$tool" >/dev/null; then objdump=$tool; break; fi
done
[ -n "$objdump" ] || { echo "FAIL: no objdump"; exit 1; }

rc=0
for exe in "$@"; do
  if [ ! -f "$exe" ]; then echo "FAIL: $exe: no such file"; rc=1; continue; fi
  # Both import tables: the ordinary one and the delay-load one.
  dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  if [ -z "$dlls" ]; then echo "FAIL: $exe: no import table read"; rc=1; continue; fi
  bad=""
  for dll in $dlls; do
    case "$allowed" in *" $dll "*) ;; *) bad+=" $dll" ;; esac
  done
  if [ -n "$bad" ]; then
    echo "FAIL: $exe imports DLLs that are no KnownDLLs:$bad"
    rc=1
  else
    echo "ok: $exe imports only KnownDLLs and comctl32:" $dlls
  fi
done
exit $rc
