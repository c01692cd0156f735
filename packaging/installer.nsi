; The Zelvanto installer: a per-user install into a folder the user can
; choose, with Start-menu shortcuts and an uninstaller that removes the
; programs and nothing the programs wrote beside them.
;   makensis -DVERSION=x.y -DSTAGE=<folder with the files> -DICON=<.ico> -DOUTFILE=<exe> installer.nsi
; 64-bit, as the programs are (a 32-bit installer would need a 32-bit
; layer that 64-bit systems may leave out, and Wine often does).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"

!define PRODUCT "Zelvanto"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zelvanto"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Zelvanto"
InstallDirRegKey HKCU "Software\Zelvanto" "InstallDir"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "© ${PRODUCT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Section "Zelvanto"
  SetOutPath "$INSTDIR"
  File "${STAGE}/Varnik.exe"
  File "${STAGE}/Pocklet.exe"
  File "${STAGE}/readme.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Zelvanto"
  CreateShortcut "$SMPROGRAMS\Zelvanto\Zelvanto.lnk" "$INSTDIR\Varnik.exe"
  CreateShortcut "$SMPROGRAMS\Zelvanto\Pocklet.lnk" "$INSTDIR\Pocklet.exe"
  CreateShortcut "$SMPROGRAMS\Zelvanto\アンインストール.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKCU "Software\Zelvanto" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Varnik.exe"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
SectionEnd

; Only the files the installer put there. The settings, the run history,
; the tree caches and the environment backups that Varnik keeps beside
; itself are the user's: they stay, and so does the folder that holds them.
Section "Uninstall"
  Delete "$INSTDIR\Varnik.exe"
  Delete "$INSTDIR\Pocklet.exe"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Zelvanto\Zelvanto.lnk"
  Delete "$SMPROGRAMS\Zelvanto\Pocklet.lnk"
  Delete "$SMPROGRAMS\Zelvanto\アンインストール.lnk"
  RMDir "$SMPROGRAMS\Zelvanto"

  DeleteRegKey HKCU "${UNINST_KEY}"
  DeleteRegKey HKCU "Software\Zelvanto"
SectionEnd
