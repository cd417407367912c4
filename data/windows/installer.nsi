; The Windows installer, made by `scripts/package.sh windows` with NSIS:
;   makensis -DVERSION=1.0.0 -DFILES=FOLDER -DREMOVE=FILE.nsh -DOUTFILE=SETUP.exe installer.nsi
; FILES is the folder `cmake --install` filled for Windows (the zip holds the
; same); REMOVE lists its files and folders as Delete and RMDir lines, so the
; uninstaller removes exactly what was installed and nothing the player put
; beside it.
;
; Installed for the player alone, without administrator rights: the program
; into %LOCALAPPDATA%\Programs\Morvex2, a Start-menu entry, and an entry in
; Settings > Apps. The player's scores and name live in %APPDATA%\Morvex2,
; which the game makes itself; neither the installer nor the uninstaller ever
; touches that folder, so scores survive an uninstall and a new version.

; A 64-bit installer for a 64-bit program: it runs where the game runs.
Target amd64-unicode
; The tunes' renderings, most of the bytes, are sampled sound: LZMA makes
; them only 6 % smaller than zlib, at eight times the time.
SetCompressor zlib
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh

!define APP "Morvex2"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${APP} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${APP}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${APP} setup"
VIAddVersionKey /LANG=0 "CompanyName" "The Morvex2 developers"
VIAddVersionKey /LANG=0 "LegalCopyright" "1997, 2026 The Morvex2 developers"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\morvex2.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "${APP}"
  ; An earlier version goes first, through its own uninstaller run in place,
  ; so that none of its files (a tune rendered under another name) outlives
  ; it in the folder. The player's scores are elsewhere and stay.
  IfFileExists "$INSTDIR\uninstall.exe" 0 +3
    ExecWait '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
    Delete "$INSTDIR\uninstall.exe"
  SetOutPath "$INSTDIR"
  File /r "${FILES}/*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\morvex2.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Morvex2 developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\morvex2.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${APP}.lnk"
  !include "${REMOVE}"
  Delete "$INSTDIR\uninstall.exe"
  ; Gone only when empty: whatever the player put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
