; Installer of TORVA-PC for 64-bit Windows, in French.
;
;   makensis -DSTAGE_DIR=<deployed folder> -DOUT_FILE=<torva-pc-3.0-setup.exe> -DVERSION=3.0 \
;            -DICON=<torva-pc.ico> packaging/windows/torva-pc.nsi
;
; Installs the whole deployed folder (scripts/windows/deploy.sh) into
; "Program Files\TORVA-PC" for all users, with a Start-menu shortcut and an uninstaller
; registered with Windows.  "setup.exe /S" installs silently ("/D=<folder>", last, picks another
; folder); "Uninstall.exe /S" removes it silently.  The uninstaller removes the files this
; installer put there, one by one, and leaves anything else found in the folder (and then the
; folder itself) alone.
; The script is UTF-8 with a byte-order mark, so that makensis reads the accents right anywhere.

!macro REQUIRE_DEFINE NAME
  !ifndef ${NAME}
    !error "${NAME} missing: makensis -DSTAGE_DIR=... -DOUT_FILE=... -DVERSION=... -DICON=... torva-pc.nsi"
  !endif
!macroend
!insertmacro REQUIRE_DEFINE STAGE_DIR
!insertmacro REQUIRE_DEFINE OUT_FILE
!insertmacro REQUIRE_DEFINE VERSION
!insertmacro REQUIRE_DEFINE ICON

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define APP_NAME "TORVA-PC"
!define APP_EXE "torva-pc.exe"
!define PUBLISHER "OSTRALEC"
!define UNINSTALLER "Uninstall.exe"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP_NAME}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

Name "${APP_NAME}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\${APP_NAME}"
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
BrandingText "${APP_NAME} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

; Windows' file properties: VERSION is completed to the four numbers they need (3.0 -> 3.0.0.0).
!searchparse /noerrors "${VERSION}.0.0.0" "" VER_1 "." VER_2 "." VER_3 "." VER_4 "."
VIProductVersion "${VER_1}.${VER_2}.${VER_3}.${VER_4}"
VIFileVersion "${VER_1}.${VER_2}.${VER_3}.${VER_4}"
VIAddVersionKey /LANG=1036 "ProductName" "${APP_NAME}"
VIAddVersionKey /LANG=1036 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1036 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1036 "FileDescription" "Installation de ${APP_NAME} ${VERSION}"
VIAddVersionKey /LANG=1036 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1036 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "French"

LangString NeedAdmin ${LANG_FRENCH} "L'installation de ${APP_NAME} demande les droits d'administrateur."
LangString NeedAdminUninstall ${LANG_FRENCH} "La désinstallation de ${APP_NAME} demande les droits d'administrateur."
LangString RemovingPrevious ${LANG_FRENCH} "Retrait de la version installée auparavant..."
LangString PreviousNotRemoved ${LANG_FRENCH} "La version installée auparavant n'a pas pu être retirée. Fermez ${APP_NAME} s'il est ouvert, puis relancez l'installation."
LangString SectionName ${LANG_FRENCH} "${APP_NAME}"

; The uninstaller's list: every file of the deployed folder, then its subfolders, deepest first.
; Names holding $ or " are refused: they would need escaping in NSIS strings.  (makensis turns
; every backslash of a !system command into a slash, hence awk's character 92 below.)  The
; temporary list is removed on failure too.
!tempfile UNINSTALL_LIST
!system `trap 'test $? -eq 0 || rm -f "${UNINSTALL_LIST}"' 0; cd "${STAGE_DIR}" || exit 1; if ! test -f "${APP_EXE}"; then echo "torva-pc.nsi: no ${APP_EXE} in ${STAGE_DIR}" >&2; exit 1; fi; if find . -mindepth 1 | grep '[$"]' >&2; then echo 'torva-pc.nsi: the names above hold $ or ", which the uninstaller cannot list' >&2; exit 1; fi; { find . -mindepth 1 -type f | cut -c3- | LC_ALL=C sort | sed 's|^|Delete "$INSTDIR/|; s|$|"|'; find . -mindepth 1 -type d | cut -c3- | awk -F/ '{ print NF, $0 }' | LC_ALL=C sort -k1,1nr -k2 | cut -d' ' -f2- | sed 's|^|RMDir "$INSTDIR/|; s|$|"|'; } | awk '{ gsub("/", sprintf("%c", 92)); print }' > "${UNINSTALL_LIST}"` = 0

Function .onInit
  SetRegView 64
  SetShellVarContext all
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_ICONSTOP|MB_OK "$(NeedAdmin)" /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
FunctionEnd

Section "$(SectionName)" SecMain
  SectionIn RO

  ; Installing over an earlier version: let its own uninstaller take away its files first, so
  ; that none it had and this one has not stays behind.  _?= makes it run in place and wait.
  ${If} ${FileExists} "$INSTDIR\${UNINSTALLER}"
    DetailPrint "$(RemovingPrevious)"
    ClearErrors
    ExecWait '"$INSTDIR\${UNINSTALLER}" /S _?=$INSTDIR' $0
    ${If} ${Errors}
    ${OrIf} $0 <> 0
      MessageBox MB_ICONSTOP|MB_OK "$(PreviousNotRemoved)" /SD IDOK
      Abort
    ${EndIf}
    Delete "$INSTDIR\${UNINSTALLER}"
  ${EndIf}

  SetOutPath "$INSTDIR"
  File /r "${STAGE_DIR}/*"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateShortcut "$SMPROGRAMS\${APP_NAME}.lnk" "$INSTDIR\${APP_EXE}" "" "$INSTDIR\${APP_EXE}" 0

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${APP_NAME}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${APP_EXE},0"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_ICONSTOP|MB_OK "$(NeedAdminUninstall)" /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${APP_NAME}.lnk"
  !include "${UNINSTALL_LIST}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd

!delfile "${UNINSTALL_LIST}"
