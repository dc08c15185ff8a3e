; Vantorel's installer: per machine, both programs into Program Files, the
; Start menu shortcut for all users, an optional desktop shortcut and the
; Uninstall entry. Built by installer/CMakeLists.txt with
;   makensis -DVL_VERSION=1.2.3.4 -DVL_ARCH=x64|x86 -DVL_BIN=<folder of the exes>
;            -DVL_OUT=<installer file> [-DVL_SIGN=<command that signs %1>]
;            [-DVL_URL=<about page>] vantorel.nsi
;
; Command line: /S silent (defaults, no window), /D=<folder> (last, unquoted),
; /ALLOWDOWNGRADE installs over a newer version.
; Exit codes: 0 installed; 1 cancelled by the user; 2 stopped (no administrator
; rights, or a file could not be written); 3 a newer version is installed;
; 4 Vantorel or its updater kept running in the install folder.
Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WordFunc.nsh"
!include "x64.nsh"
!include "WinMessages.nsh"

!ifndef VL_VERSION | VL_ARCH | VL_BIN | VL_OUT
  !error "VL_VERSION, VL_ARCH, VL_BIN and VL_OUT must be defined"
!endif
!ifndef VL_URL
  !define VL_URL "https://vantorel.example.org/"
!endif
!define VL_NAME "Vantorel"
!define VL_PUBLISHER "Vantorel"
!define VL_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantorel"
!define VL_RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

!ifdef VL_SIGN
  ; The uninstaller and the installer are signed once they are written.
  !uninstfinalize `${VL_SIGN} "%1"` = 0
  !finalize `${VL_SIGN} "%1"` = 0
!endif

Name "${VL_NAME}"
OutFile "${VL_OUT}"
BrandingText "${VL_NAME} ${VL_VERSION}"
!if "${VL_ARCH}" == "x64"
  InstallDir "$PROGRAMFILES64\${VL_NAME}"
!else
  InstallDir "$PROGRAMFILES\${VL_NAME}"
!endif

VIProductVersion "${VL_VERSION}"
VIFileVersion "${VL_VERSION}"
VIAddVersionKey "ProductName" "${VL_NAME}"
VIAddVersionKey "CompanyName" "${VL_PUBLISHER}"
VIAddVersionKey "FileDescription" "${VL_NAME} Setup (${VL_ARCH})"
VIAddVersionKey "FileVersion" "${VL_VERSION}"
VIAddVersionKey "ProductVersion" "${VL_VERSION}"
VIAddVersionKey "LegalCopyright" "${VL_PUBLISHER}"

!define MUI_ICON "${VL_ICON}"
!define MUI_UNICON "${VL_ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Vantorel.exe"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var DefaultDir

; --- the running programs of the install folder ---------------------------------
; A program of the folder runs while its file cannot be opened for writing.
!macro VL_IS_RUNNING file result
  StrCpy ${result} 0
  ${If} ${FileExists} "${file}"
    ClearErrors
    FileOpen $R9 "${file}" a
    ${If} ${Errors}
      StrCpy ${result} 1
    ${Else}
      FileClose $R9
    ${EndIf}
  ${EndIf}
!macroend

; Asks the windows of Vantorel and its updater to close (as a user would).
!macro VL_ASK_TO_CLOSE
  FindWindow $R8 "VantorelMainWindow"
  ${If} $R8 <> 0
    SendMessage $R8 ${WM_CLOSE} 0 0 /TIMEOUT=5000
  ${EndIf}
  FindWindow $R8 "TfrmUpdate"
  ${If} $R8 <> 0
    SendMessage $R8 ${WM_CLOSE} 0 0 /TIMEOUT=5000
  ${EndIf}
!macroend

; Ends a process whose image is `file` (silent mode, after it was asked to close).
!macro VL_END_PROCESS_OF file
  ; Through the window's process: only the one that runs our file is ended.
  StrCpy $R7 "VantorelMainWindow"
  ${Do}
    FindWindow $R8 $R7
    ${If} $R8 <> 0
      System::Call 'user32::GetWindowThreadProcessId(p R8, *i .R6)'
      System::Call 'kernel32::OpenProcess(i 0x1001, i 0, i R6) p .R5'
      ${If} $R5 <> 0
        System::Call 'kernel32::QueryFullProcessImageNameW(p R5, i 0, w .R4, *i ${NSIS_MAX_STRLEN})i .R3'
        ${If} $R4 == "${file}"
          System::Call 'kernel32::TerminateProcess(p R5, i 0)'
          System::Call 'kernel32::WaitForSingleObject(p R5, i 5000)'
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p R5)'
      ${EndIf}
    ${EndIf}
    ${If} $R7 == "TfrmUpdate"
      ${Break}
    ${EndIf}
    StrCpy $R7 "TfrmUpdate"
  ${Loop}
!macroend

; Leaves with exit code 4 unless no program of the folder runs any more.
!macro VL_CLOSE_RUNNING un
Function ${un}CloseRunning
  StrCpy $R0 0
  ${Do}
    !insertmacro VL_IS_RUNNING "$INSTDIR\Vantorel.exe" $R1
    !insertmacro VL_IS_RUNNING "$INSTDIR\Update.exe" $R2
    ${If} $R1 == 0
    ${AndIf} $R2 == 0
      Return
    ${EndIf}
    ${If} ${Silent}
      ; Silent: asked to close, and ended when it did not within 10 s.
      ${If} $R0 == 0
        !insertmacro VL_ASK_TO_CLOSE
      ${ElseIf} $R0 == 20
        !insertmacro VL_END_PROCESS_OF "$INSTDIR\Vantorel.exe"
        !insertmacro VL_END_PROCESS_OF "$INSTDIR\Update.exe"
      ${ElseIf} $R0 > 40
        SetErrorLevel 4
        Quit
      ${EndIf}
      IntOp $R0 $R0 + 1
      Sleep 500
    ${Else}
      MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "Vantorel is running. Click OK to close it and continue, or Cancel to stop." /SD IDOK IDOK close
      SetErrorLevel 4
      Quit
      close:
      !insertmacro VL_ASK_TO_CLOSE
      Sleep 2000
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro VL_CLOSE_RUNNING ""
!insertmacro VL_CLOSE_RUNNING "un."

!macro VL_REG_VIEW
  !if "${VL_ARCH}" == "x64"
    SetRegView 64
  !endif
!macroend

Function .onInit
  !insertmacro VL_REG_VIEW
  ${If} "${VL_ARCH}" == "x64"
  ${AndIfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "This package is for 64-bit Windows; use the x86 package." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "Installing Vantorel needs administrator rights." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  ; An upgrade goes where the installed version is, unless /D= says otherwise.
  !if "${VL_ARCH}" == "x64"
    StrCpy $DefaultDir "$PROGRAMFILES64\${VL_NAME}"
  !else
    StrCpy $DefaultDir "$PROGRAMFILES\${VL_NAME}"
  !endif
  ReadRegStr $1 HKLM "${VL_UNINSTALL_KEY}" "InstallLocation"
  ${If} $1 != ""
  ${AndIf} $INSTDIR == $DefaultDir
    StrCpy $INSTDIR $1
  ${EndIf}
  ; No downgrade unless asked for.
  ReadRegStr $2 HKLM "${VL_UNINSTALL_KEY}" "DisplayVersion"
  ${If} $2 != ""
    ${VersionCompare} "$2" "${VL_VERSION}" $3
    ${If} $3 == 1
      ${GetParameters} $4
      ClearErrors
      ${GetOptions} $4 "/ALLOWDOWNGRADE" $5
      ${If} ${Errors}
        MessageBox MB_ICONSTOP "Vantorel $2 is installed, which is newer than ${VL_VERSION}. Uninstall it first, or start this installer with /ALLOWDOWNGRADE." /SD IDOK
        SetErrorLevel 3
        Quit
      ${EndIf}
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Vantorel" SecMain
  SectionIn RO
  Call CloseRunning
  SetOutPath "$INSTDIR"
  SetOverwrite on
  ; data.db, Settings.ini and backup\ are the user's and stay as they are.
  ClearErrors
  File "${VL_BIN}\Vantorel.exe"
  File "${VL_BIN}\Update.exe"
  ${If} ${Errors}
    MessageBox MB_ICONSTOP "The programs could not be written to $INSTDIR." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\${VL_NAME}.lnk" "$INSTDIR\Vantorel.exe" "" "$INSTDIR\Vantorel.exe" 0

  !insertmacro VL_REG_VIEW
  WriteRegStr HKLM "${VL_UNINSTALL_KEY}" "DisplayName" "${VL_NAME}"
  WriteRegStr HKLM "${VL_UNINSTALL_KEY}" "DisplayVersion" "${VL_VERSION}"
  WriteRegStr HKLM "${VL_UNINSTALL_KEY}" "Publisher" "${VL_PUBLISHER}"
  WriteRegStr HKLM "${VL_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${VL_UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\Vantorel.exe",0'
  WriteRegStr HKLM "${VL_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  ; _?= runs the uninstaller in place, so the caller waits for the removal.
  WriteRegStr HKLM "${VL_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
  WriteRegStr HKLM "${VL_UNINSTALL_KEY}" "URLInfoAbout" "${VL_URL}"
  WriteRegDWORD HKLM "${VL_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${VL_UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/M=*.exe /S=0K /G=0" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${VL_UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section /o "Desktop shortcut" SecDesktop
  SetShellVarContext all
  CreateShortcut "$DESKTOP\${VL_NAME}.lnk" "$INSTDIR\Vantorel.exe" "" "$INSTDIR\Vantorel.exe" 0
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMain} "Vantorel and its updater."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "A shortcut on the desktop of every user."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; --- uninstaller --------------------------------------------------------------------
Function un.onInit
  !insertmacro VL_REG_VIEW
FunctionEnd

Section "Uninstall"
  Call un.CloseRunning
  Delete "$INSTDIR\Vantorel.exe"
  Delete "$INSTDIR\Update.exe"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${VL_NAME}.lnk"
  Delete "$DESKTOP\${VL_NAME}.lnk"
  !insertmacro VL_REG_VIEW
  DeleteRegKey HKLM "${VL_UNINSTALL_KEY}"
  ; Vantorel writes its run-at-startup value into the 64-bit view on 64-bit Windows.
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  DeleteRegValue HKLM "${VL_RUN_KEY}" "Vantorel"
  ; The registry backups are the user's way back: kept unless the user says
  ; otherwise, and always in silent mode.
  MessageBox MB_YESNO|MB_ICONQUESTION "Keep the registry backups and Vantorel's settings in $INSTDIR?$\r$\n$\r$\nThey let you undo repairs and optimizations later." /SD IDYES IDYES keep
  RMDir /r "$INSTDIR\backup"
  RMDir /r "$INSTDIR\update"
  Delete "$INSTDIR\data.db"
  Delete "$INSTDIR\Settings.ini"
  keep:
  ; In place (_?=) the running uninstaller goes at the next restart.
  Delete /REBOOTOK "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
