; The Windows installer of ZVReader: the programs into Program Files, a
; Start-menu shortcut to the dialog and an entry in Add/Remove Programs,
; in English or Polish; /S installs without asking.
;
; makensis gets with -D: VERSION (four numbers), PUBLISHER, PROGRAMS (the
; folder of the stripped programs), ICON, OUTFILE, and DIALOG when the
; build made zvreader.exe.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZVReader"
!define UNINSTALLER "Uninstall.exe"
!ifdef DIALOG
  !define DISPLAY_ICON "$INSTDIR\zvreader.exe"
!else
  !define DISPLAY_ICON "$INSTDIR\${UNINSTALLER}"
!endif

Name "ZVReader ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\ZVReader"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "ZVReader ${VERSION}"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "ZVReader"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "ZVReader ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2024 ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The language chosen at installation is the uninstaller's too.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "InstallerLanguage"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!ifdef DIALOG
  !define MUI_FINISHPAGE_RUN "$INSTDIR\zvreader.exe"
!endif
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "$(KEPT_DATA)"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Polish"
!insertmacro MUI_RESERVEFILE_LANGDLL

LangString SHORTCUT_COMMENT ${LANG_ENGLISH} "Fetch the stored tests of a ZORVEL spirometer"
LangString SHORTCUT_COMMENT ${LANG_POLISH} "Transmisja badań ze spirometru ZORVEL do komputera"
LangString KEPT_DATA ${LANG_ENGLISH} "ZVReader will be removed from your computer. The raw dumps in C:\VAQ, the archive in %LOCALAPPDATA%\VAQ and the settings in %APPDATA%\VAQ stay."
LangString KEPT_DATA ${LANG_POLISH} "ZVReader zostanie usunięty z komputera. Surowe dane w C:\VAQ, archiwum w %LOCALAPPDATA%\VAQ i ustawienia w %APPDATA%\VAQ pozostaną."
LangString MSI_INSTALLED ${LANG_ENGLISH} "ZVReader is installed from its Windows Installer package (MSI). Remove it first (Settings, Apps), then run this setup again."
LangString MSI_INSTALLED ${LANG_POLISH} "ZVReader jest zainstalowany z pakietu Instalatora Windows (MSI). Najpierw go usuń (Ustawienia, Aplikacje), a potem uruchom ponownie tę instalację."

; The Windows Installer package puts the same files into the same folder
; and marks its installation in the registry: one of the two at a time.
Function .onInit
  SetRegView 64
  !insertmacro MUI_LANGDLL_DISPLAY
  ReadRegStr $0 HKLM "Software\ZVReader" "MsiVersionTweak"
  StrCmp $0 "" +3
    MessageBox MB_OK|MB_ICONSTOP "$(MSI_INSTALLED)" /SD IDOK
    Abort
FunctionEnd

Section
  SetShellVarContext all
  SetOutPath "$INSTDIR"
!ifdef DIALOG
  File "${PROGRAMS}/zvreader.exe"
  CreateShortcut "$SMPROGRAMS\ZVReader.lnk" "$INSTDIR\zvreader.exe" "" \
      "$INSTDIR\zvreader.exe" 0 SW_SHOWNORMAL "" "$(SHORTCUT_COMMENT)"
!endif
  File "${PROGRAMS}/zvreader-cli.exe"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "ZVReader"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "${DISPLAY_ICON}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetRegView 64
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

; Removes exactly what the installer put in place. The raw dumps in C:\VAQ,
; the archive in %LOCALAPPDATA%\VAQ and the settings in %APPDATA%\VAQ belong
; to the user and stay.
Section Uninstall
  SetShellVarContext all
  Delete "$SMPROGRAMS\ZVReader.lnk"
  Delete "$INSTDIR\zvreader.exe"
  Delete "$INSTDIR\zvreader-cli.exe"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
