; The Tolvarin setup program: installs the saver for the current user (no
; administrator rights), makes it the chosen screen saver, adds a Start menu
; folder and an entry in Apps & features; its uninstaller undoes all of it.
;
; Built by package.sh, which defines:
;   VERSION   the project version, "1.0.0"
;   ARCH      x64 (amd64-unicode stub, 64-bit program) or x86 (x86-unicode stub)
;   PAYLOAD   folder holding Tolvarin.scr and r_vold_graphics.dll to install
;   ICON      the program's icon
;   OUTFILE   the setup program to write
;   SIGN      (optional) a command that signs the file named by its argument

Unicode true
!if "${ARCH}" == "x64"
  Target amd64-unicode
!else if "${ARCH}" == "x86"
  Target x86-unicode
!else
  !error "ARCH must be x64 or x86"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Tolvarin"
!define PUBLISHER "Tolvarin"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolvarin"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SHORTCUTS "$SMPROGRAMS\Tolvarin"
!define SETTINGS_SHORTCUT "Tolvarin の設定.lnk"
; SystemParametersInfo: SPI_SETSCREENSAVEACTIVE, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE.
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_SEND 3

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tolvarin"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

!ifdef SIGN
  !finalize '${SIGN} "%1"' = 0
  !uninstfinalize '${SIGN} "%1"' = 0
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(OpenSaverSettings)"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenSaverSettings

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one used when the user's is neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString OpenSaverSettings ${LANG_ENGLISH} "Open the screen saver settings"
LangString OpenSaverSettings ${LANG_JAPANESE} "スクリーン セーバーの設定を開く"
LangString UninstallShortcut ${LANG_ENGLISH} "Uninstall Tolvarin"
LangString UninstallShortcut ${LANG_JAPANESE} "Tolvarin のアンインストール"
LangString Running ${LANG_ENGLISH} "Tolvarin is running (the screen saver or its settings dialog).$\r$\nClose it, then choose Retry."
LangString Running ${LANG_JAPANESE} "Tolvarin が動いています (スクリーン セーバーか設定画面)。$\r$\n終了してから [再試行] を選んでください。"
LangString InUse ${LANG_ENGLISH} "A file of Tolvarin is in use:$\r$\n$R0$\r$\nClose the program using it, then choose Retry."
LangString InUse ${LANG_JAPANESE} "Tolvarin のファイルが使用中です:$\r$\n$R0$\r$\n使っているプログラムを終了してから [再試行] を選んでください。"
LangString CannotReplace ${LANG_ENGLISH} "The files in $INSTDIR could not be replaced; nothing was changed.$\r$\nChoose Retry to try again."
LangString CannotReplace ${LANG_JAPANESE} "$INSTDIR のファイルを置き換えられませんでした。何も変更していません。$\r$\n[再試行] でもう一度試します。"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "© 2026 Tolvarin"

; ---- Shared by the installer and the uninstaller ---------------------------

!macro SHARED_FUNCTIONS un
; Waits until no Tolvarin window is open and neither program file is held by
; another process; the user may retry or give up (silent: give up). Sets $0
; to 1 when clear, 0 when given up.
Function ${un}WaitUntilFree
  retry:
  System::Call 'user32::FindWindowW(p 0, w "Tolvarin_Main") p .r1'
  System::Call 'user32::FindWindowW(p 0, w "<Tolvarin>") p .r2'
  ${If} $1 != 0
  ${OrIf} $2 != 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(Running)" /SD IDCANCEL IDRETRY retry
    StrCpy $0 0
    Return
  ${EndIf}
  ; A running program keeps its file open: opening it for writing with no
  ; sharing then fails. The file is not changed by the test.
  ${ForEach} $R1 0 1 + 1
    ${If} $R1 = 0
      StrCpy $R0 "$INSTDIR\Tolvarin.scr"
    ${Else}
      StrCpy $R0 "$INSTDIR\r_vold_graphics.dll"
    ${EndIf}
    ${If} ${FileExists} $R0
      System::Call 'kernel32::CreateFileW(w R0, i 0x40000000, i 0, p 0, i 3, i 0x80, p 0) p .r3'
      ${If} $3 = -1
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(InUse)" /SD IDCANCEL IDRETRY retry
        StrCpy $0 0
        Return
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r3)'
    ${EndIf}
  ${Next}
  StrCpy $0 1
FunctionEnd

; $0: a SCRNSAVE.EXE value. Sets $0 to 1 when it names the Tolvarin.scr in
; $INSTDIR (written long or short), else 0.
Function ${un}IsOurSaver
  ${If} $0 == ""
    StrCpy $0 0
    Return
  ${EndIf}
  System::Call 'kernel32::GetLongPathNameW(w r0, w .r1, i ${NSIS_MAX_STRLEN}) i .r2'
  ${If} $2 = 0
    StrCpy $1 $0
  ${EndIf}
  ; String comparison here ignores case, as Windows paths do.
  ${If} $1 == "$INSTDIR\Tolvarin.scr"
  ${OrIf} $0 == "$INSTDIR\Tolvarin.scr"
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
FunctionEnd
!macroend
!insertmacro SHARED_FUNCTIONS ""
!insertmacro SHARED_FUNCTIONS "un."

; ---- Installer ----------------------------------------------------------------

; Moves file $1 to $2, replacing $2; $0 = 1 on success.
Function MoveReplacing
  System::Call 'kernel32::MoveFileExW(w r1, w r2, i 1) i .r0'
  ${If} $0 <> 0
    StrCpy $0 1
  ${EndIf}
FunctionEnd
!macro Move from to
  StrCpy $1 "${from}"
  StrCpy $2 "${to}"
  Call MoveReplacing
!macroend

; Puts the new program files, unpacked beside the old ones as *.new, in place
; of the old ones: either both are replaced or neither is. $0 = 1 on success.
Function ReplaceProgramFiles
  StrCpy $3 "$INSTDIR\Tolvarin.scr"
  StrCpy $4 "$INSTDIR\r_vold_graphics.dll"
  StrCpy $5 0  ; old program kept as .old
  StrCpy $6 0  ; old library kept as .old
  ${If} ${FileExists} $3
    !insertmacro Move $3 "$3.old"
    ${IfThen} $0 <> 1 ${|} Return ${|}
    StrCpy $5 1
  ${EndIf}
  ${If} ${FileExists} $4
    !insertmacro Move $4 "$4.old"
    ${If} $0 <> 1
      Goto restore
    ${EndIf}
    StrCpy $6 1
  ${EndIf}
  !insertmacro Move "$3.new" $3
  ${If} $0 <> 1
    Goto restore
  ${EndIf}
  !insertmacro Move "$4.new" $4
  ${If} $0 <> 1
    Delete $3
    Goto restore
  ${EndIf}
  Delete "$3.old"
  Delete "$4.old"
  StrCpy $0 1
  Return
  restore:
  ${If} $5 = 1
    !insertmacro Move "$3.old" $3
  ${EndIf}
  ${If} $6 = 1
    !insertmacro Move "$4.old" $4
  ${EndIf}
  StrCpy $0 0
FunctionEnd

Function OpenSaverSettings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

Section "Tolvarin"
  SetShellVarContext current

  ; The program files, both or neither.
  retry:
  Call WaitUntilFree
  ${If} $0 <> 1
    Abort
  ${EndIf}
  CreateDirectory $INSTDIR
  SetOutPath $INSTDIR
  ClearErrors
  File "/oname=Tolvarin.scr.new" "${PAYLOAD}\Tolvarin.scr"
  File "/oname=r_vold_graphics.dll.new" "${PAYLOAD}\r_vold_graphics.dll"
  StrCpy $0 0
  ${IfNot} ${Errors}
    Call ReplaceProgramFiles
  ${EndIf}
  ${If} $0 <> 1
    Delete "$INSTDIR\Tolvarin.scr.new"
    Delete "$INSTDIR\r_vold_graphics.dll.new"
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(CannotReplace)" /SD IDCANCEL IDRETRY retry
    Abort
  ${EndIf}
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Remember the screen saver chosen before, unless that is this Tolvarin
  ; (installing again keeps what the first install remembered). An empty
  ; value means there was none.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  StrCpy $7 $0
  Call IsOurSaver
  ${If} $0 = 0
    WriteRegStr HKCU "${UNINST_KEY}" "PreviousScreenSaver" $7
    ReadRegStr $1 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    WriteRegStr HKCU "${UNINST_KEY}" "PreviousScreenSaveActive" $1
  ${EndIf}

  ; Make Tolvarin the screen saver. The display settings store the path in
  ; its short form (the value is used on a command line without quotes);
  ; where a volume has no short names the long path is used.
  System::Call 'kernel32::GetShortPathNameW(w "$INSTDIR\Tolvarin.scr", w .r1, i ${NSIS_MAX_STRLEN}) i .r2'
  ${If} $2 = 0
    StrCpy $1 "$INSTDIR\Tolvarin.scr"
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $1
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_SEND}) i .r0'

  ; Start menu: the settings dialog and the uninstaller (names in either
  ; language from an earlier install are replaced).
  CreateDirectory "${SHORTCUTS}"
  Delete "${SHORTCUTS}\Uninstall Tolvarin.lnk"
  Delete "${SHORTCUTS}\Tolvarin のアンインストール.lnk"
  CreateShortcut "${SHORTCUTS}\${SETTINGS_SHORTCUT}" "$INSTDIR\Tolvarin.scr" "/c" "$INSTDIR\Tolvarin.scr" 0
  CreateShortcut "${SHORTCUTS}\$(UninstallShortcut).lnk" "$INSTDIR\uninstall.exe"

  ; Apps & features.
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Tolvarin.scr,0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

; ---- Uninstaller -------------------------------------------------------------

Section "Uninstall"
  SetShellVarContext current
  Call un.WaitUntilFree
  ${If} $0 <> 1
    Abort
  ${EndIf}

  ; The screen saver: when Tolvarin is still the chosen one, the one chosen
  ; before comes back, or none and the saver off; another choice made since
  ; stays.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  Call un.IsOurSaver
  ${If} $0 = 1
    ReadRegStr $1 HKCU "${UNINST_KEY}" "PreviousScreenSaver"
    ReadRegStr $2 HKCU "${UNINST_KEY}" "PreviousScreenSaveActive"
    ${If} $1 != ""
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $1
      ${If} $2 == "0"
        StrCpy $3 0
      ${Else}
        StrCpy $3 1
      ${EndIf}
    ${Else}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
      StrCpy $3 0
    ${EndIf}
    WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" $3
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i r3, p 0, i ${SPIF_UPDATE_AND_SEND}) i .r0'
  ${EndIf}

  ; What the installer put there and the settings file; the folder goes only
  ; when nothing else is left in it.
  Delete "$INSTDIR\Tolvarin.scr"
  Delete "$INSTDIR\r_vold_graphics.dll"
  Delete "$INSTDIR\Tolvarin.scr.new"
  Delete "$INSTDIR\r_vold_graphics.dll.new"
  Delete "$INSTDIR\Tolvarin.scr.old"
  Delete "$INSTDIR\r_vold_graphics.dll.old"
  Delete "$INSTDIR\Tolvarin.ini"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "${SHORTCUTS}\${SETTINGS_SHORTCUT}"
  Delete "${SHORTCUTS}\Uninstall Tolvarin.lnk"
  Delete "${SHORTCUTS}\Tolvarin のアンインストール.lnk"
  RMDir "${SHORTCUTS}"

  DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd
