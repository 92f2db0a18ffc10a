; Installer of TORVA-PC for 64-bit Windows, in French.
;
;   makensis -DSTAGE_DIR=<deployed folder> -DOUT_FILE=<torva-pc-3.0-setup.exe> -DVERSION=3.0 \
;            -DICON=<torva-pc.ico> packaging/windows/torva-pc.nsi
;
; Installs the whole deployed folder (scripts/windows/deploy.sh), by default for the account that
; runs it, without administrator rights: into %LOCALAPPDATA%\Programs\TORVA-PC, with its Start-menu
; shortcut, its uninstall entry and the .dat file type under HKEY_CURRENT_USER.  An administrator
; installs it for all users instead, into "Program Files\TORVA-PC" with the entries under
; HKEY_LOCAL_MACHINE: "/ALLUSERS" on the command line, or the choice the setup offers when it runs
; with administrator rights.
;
;   setup.exe /S                 silent install for the account that runs it
;   setup.exe /S /ALLUSERS       silent install for all users (administrator)
;   setup.exe /S /PATH           also puts the programs' folder on the PATH (the user's; the
;                                system's for all users)
;   setup.exe /S /D=<folder>     another folder (last on the command line)
;   Uninstall.exe /S             silent uninstall
;
; Run over an installed TORVA-PC (same account or same all-users install), the setup upgrades it in
; its folder: the new files replace the old ones, the files of the old version that the new one no
; longer has are removed (the list of the files it put there, fichiers-installes.txt), anything
; else in the folder stays.  The uninstaller removes the files this installer put there, the
; shortcut, the entries, the file type and the PATH entry it made, and never the user's settings
; (HKCU\Software\torva-pc), the emulated panel's file or the journal (%LOCALAPPDATA%\torva-pc).
;
; Exit codes besides NSIS's own (1 cancelled, 2 aborted), nothing changed in each case:
;   3    a program of TORVA-PC is open (torva-pc, torva-cli or torva-report)
;   4    TORVA-PC is installed already in another way: for all users when installing for one
;        account, for this account when installing for all users, or in another folder than /D
;   5    /PATH asked, but the PATH is too long to be changed without risk
;   740  administrator rights needed (/ALLUSERS, or the uninstall of an all-users install)
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
; Administrator rights only when asked for (/ALLUSERS from an elevated prompt).
RequestExecutionLevel user
; A program file that cannot be written stops the install instead of being skipped.
AllowSkipFiles off

!define APP_NAME "TORVA-PC"
!define APP_EXE "torva-pc.exe"
!define PUBLISHER "OSTRALEC"
!define UNINSTALLER "Uninstall.exe"
!define FILE_LIST_NAME "fichiers-installes.txt"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP_NAME}"
!define CLASSES "Software\Classes"
!define PROGID "TORVA-PC.dat"
!define USER_ENVIRONMENT "Environment"
!define SYSTEM_ENVIRONMENT "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
; The mutex every program of TORVA-PC holds while it runs (src/seams/RunningMark.h).
!define RUNNING_MARK "Global\TORVA-PC-ouvert"
; The longest PATH this script reads and writes whole: NSIS strings hold NSIS_MAX_STRLEN
; characters with their terminator, and a value of exactly NSIS_MAX_STRLEN - 1 characters cannot
; be told from a longer one cut short.
!define /math PATH_MAX_LENGTH ${NSIS_MAX_STRLEN} - 2

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include TextFunc.nsh
!include nsDialogs.nsh
!include WinMessages.nsh

Name "${APP_NAME}"
OutFile "${OUT_FILE}"
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

Var AllUsers      ; 1: for all users (Program Files, HKLM); 0: for this account
Var IsAdmin       ; 1 when the setup runs with administrator rights
Var AskMode       ; 1: the page asking for whom to install is shown
Var DirGiven      ; the folder given by /D, else empty
Var Upgrade       ; 1: an install of the same kind is there, replaced in its folder
Var Refusal       ; why the chosen kind of install cannot go on, empty when it can
Var RefusalCode   ; and the exit code saying so
Var Existing      ; the folder of the install in the way, for the messages
Var WantPath      ; 1: the programs' folder is to be on the PATH
Var PathBefore    ; 1: the install being replaced had put it there
Var PathOld       ; the PATH as read
Var PathState     ; "absent", "ok" or "unreadable" (too long, or not a string)
Var PathRest      ; the PATH without the programs' folder
Var PathFound     ; how many times the programs' folder was in it
Var PathNew       ; the PATH with the programs' folder added
Var PathAction    ; "none" (there already), "add" or "refuse"
Var RadioMine
Var RadioAll
Var PathBox

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
Page custom ModePageShow ModePageLeave
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipWhenUpgrading
!insertmacro MUI_PAGE_DIRECTORY
Page custom OptionsPageShow OptionsPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${APP_EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "$(LaunchProgram)"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "French"

LangString NeedAdmin ${LANG_FRENCH} "L'installation de ${APP_NAME} pour tous les utilisateurs demande les droits d'administrateur. Lancez-la en administrateur, ou sans /ALLUSERS pour l'installer pour votre compte seul."
LangString NeedAdminUninstall ${LANG_FRENCH} "${APP_NAME} est installé pour tous les utilisateurs : sa désinstallation demande les droits d'administrateur."
LangString ProgramOpen ${LANG_FRENCH} "${APP_NAME} est ouvert (torva-pc, torva-cli ou torva-report). Fermez-le, puis relancez l'installation."
LangString ProgramOpenUninstall ${LANG_FRENCH} "${APP_NAME} est ouvert (torva-pc, torva-cli ou torva-report). Fermez-le, puis relancez la désinstallation."
LangString InstalledForAll ${LANG_FRENCH} "${APP_NAME} est déjà installé pour tous les utilisateurs de cet ordinateur, dans « $Existing ». Pour le mettre à jour, lancez cette installation en administrateur et choisissez « Pour tous les utilisateurs » (/ALLUSERS). Pour l'installer pour votre compte seul, faites-le d'abord désinstaller par un administrateur."
LangString InstalledForMe ${LANG_FRENCH} "${APP_NAME} est déjà installé pour votre compte seul, dans « $Existing ». Désinstallez-le d'abord (« Applications et fonctionnalités ») pour l'installer pour tous les utilisateurs, ou choisissez « Pour moi seulement » pour le mettre à jour."
LangString InstalledElsewhere ${LANG_FRENCH} "${APP_NAME} est déjà installé dans « $Existing ». La mise à jour se fait dans ce dossier ; pour l'installer ailleurs, désinstallez-le d'abord."
LangString RemovingPrevious ${LANG_FRENCH} "Retrait de la version installée auparavant..."
LangString PreviousNotRemoved ${LANG_FRENCH} "La version installée auparavant n'a pas pu être retirée. Fermez ${APP_NAME} s'il est ouvert, puis relancez l'installation."
LangString Upgrading ${LANG_FRENCH} "Mise à jour de ${APP_NAME} dans « $INSTDIR »"
LangString ModeTitle ${LANG_FRENCH} "Type d'installation"
LangString ModeSubtitle ${LANG_FRENCH} "Pour qui installer ${APP_NAME} ?"
LangString ModeMine ${LANG_FRENCH} "Pour moi seulement"
LangString ModeMineDetail ${LANG_FRENCH} "Dans votre profil (%LOCALAPPDATA%\Programs), sans droits d'administrateur : vous seul le voyez et le mettez à jour."
LangString ModeAll ${LANG_FRENCH} "Pour tous les utilisateurs de cet ordinateur"
LangString ModeAllDetail ${LANG_FRENCH} "Dans « Program Files » : chaque compte le voit ; ses mises à jour demandent les droits d'administrateur."
LangString OptionsTitle ${LANG_FRENCH} "Options"
LangString OptionsSubtitle ${LANG_FRENCH} "Invite de commandes"
LangString PathOption ${LANG_FRENCH} "Ajouter le dossier de ${APP_NAME} au PATH"
LangString PathOptionDetail ${LANG_FRENCH} "Pour lancer torva-cli et torva-report depuis une invite de commandes sans donner leur dossier. La désinstallation l'en retire."
LangString PathTooLong ${LANG_FRENCH} "Le PATH est trop long pour que l'installation le modifie sans risque de l'abîmer : le dossier de ${APP_NAME} n'y est pas ajouté. Vous pouvez l'ajouter vous-même : « $INSTDIR »."
LangString PathLeft ${LANG_FRENCH} "Le PATH est trop long pour que la désinstallation le modifie sans risque de l'abîmer : retirez-en vous-même « $INSTDIR »."
LangString DatTypeName ${LANG_FRENCH} "Configuration TORVA-PC"
LangString LaunchProgram ${LANG_FRENCH} "Lancer ${APP_NAME}"
LangString SectionName ${LANG_FRENCH} "${APP_NAME}"

; The uninstaller's list: every file of the deployed folder, then its subfolders, deepest first.
; Names holding $ or " are refused: they would need escaping in NSIS strings.  (makensis turns
; every backslash of a !system command into a slash, hence awk's character 92 below.)  The
; temporary list is removed on failure too.
!tempfile UNINSTALL_LIST
!system `trap 'test $? -eq 0 || rm -f "${UNINSTALL_LIST}"' 0; cd "${STAGE_DIR}" || exit 1; if ! test -f "${APP_EXE}"; then echo "torva-pc.nsi: no ${APP_EXE} in ${STAGE_DIR}" >&2; exit 1; fi; if find . -mindepth 1 | grep '[$"]' >&2; then echo 'torva-pc.nsi: the names above hold $ or ", which the uninstaller cannot list' >&2; exit 1; fi; { find . -mindepth 1 -type f | cut -c3- | LC_ALL=C sort | sed 's|^|Delete "$INSTDIR/|; s|$|"|'; find . -mindepth 1 -type d | cut -c3- | awk -F/ '{ print NF, $0 }' | LC_ALL=C sort -k1,1nr -k2 | cut -d' ' -f2- | sed 's|^|RMDir "$INSTDIR/|; s|$|"|'; } | awk '{ gsub("/", sprintf("%c", 92)); print }' > "${UNINSTALL_LIST}"` = 0

; The list of the installed files the next version reads to remove those it no longer has: one
; path a line, relative to the folder, CR LF.  The setup reads it as plain 8-bit text, hence the
; names kept to ASCII.
!tempfile FILE_LIST
!system `trap 'test $? -eq 0 || rm -f "${FILE_LIST}"' 0; cd "${STAGE_DIR}" || exit 1; if LC_ALL=C find . -mindepth 1 | LC_ALL=C grep '[^ -~]' >&2; then echo 'torva-pc.nsi: the names above are not plain ASCII, which the list of installed files cannot hold' >&2; exit 1; fi; find . -mindepth 1 -type f | cut -c3- | LC_ALL=C sort | awk '{ gsub("/", sprintf("%c", 92)); printf "%s%c%c", $0, 13, 10 }' > "${FILE_LIST}"` = 0

; What the installer and the uninstaller share; UN is "" for the first and "un." for the second.
!macro SHARED_FUNCTIONS UN

; $0 = 1 when a program of TORVA-PC runs: its mutex opens, or exists but belongs to another
; account (access denied).
Function ${UN}IsRunning
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MARK}") p .r1 ?e'
  Pop $2
  StrCpy $0 0
  ${If} $1 P<> 0
    System::Call 'kernel32::CloseHandle(p r1)'
    StrCpy $0 1
  ${ElseIf} $2 = 5
    StrCpy $0 1
  ${EndIf}
FunctionEnd

; $0 = 1 also when a program in $INSTDIR cannot be opened for writing: one that runs without the
; mutex (a build older than it) or is held by another program.  Nothing is written.
Function ${UN}ProgramsInUse
  Call ${UN}IsRunning
  ${If} $0 = 1
    Return
  ${EndIf}
  ${ForEach} $1 0 2 + 1
    ${Select} $1
    ${Case} 0
      StrCpy $2 "torva-pc.exe"
    ${Case} 1
      StrCpy $2 "torva-cli.exe"
    ${CaseElse}
      StrCpy $2 "torva-report.exe"
    ${EndSelect}
    ${If} ${FileExists} "$INSTDIR\$2"
      ClearErrors
      FileOpen $3 "$INSTDIR\$2" a
      ${If} ${Errors}
        StrCpy $0 1
        Return
      ${EndIf}
      FileClose $3
    ${EndIf}
  ${Next}
FunctionEnd

; The shortcuts' folder and the registry root of the kind of install ($AllUsers): SHCTX is HKLM
; for all users, HKCU for one account.
Function ${UN}UseMode
  ${If} $AllUsers = 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd

; Reads the PATH the install changes (the user's, or the system's for all users) into $PathOld,
; and says in $PathState whether it could be read whole.
Function ${UN}ReadPath
  StrCpy $PathOld ""
  StrCpy $PathState "absent"
  StrCpy $R9 0
  ${Do}
    ClearErrors
    ${If} $AllUsers = 1
      EnumRegValue $R8 HKLM "${SYSTEM_ENVIRONMENT}" $R9
    ${Else}
      EnumRegValue $R8 HKCU "${USER_ENVIRONMENT}" $R9
    ${EndIf}
    ${If} ${Errors}
    ${OrIf} $R8 == ""
      ${ExitDo}
    ${EndIf}
    ${If} $R8 == "Path"
      StrCpy $PathState "unreadable"
      ClearErrors
      ${If} $AllUsers = 1
        ReadRegStr $PathOld HKLM "${SYSTEM_ENVIRONMENT}" "Path"
      ${Else}
        ReadRegStr $PathOld HKCU "${USER_ENVIRONMENT}" "Path"
      ${EndIf}
      ${IfNot} ${Errors}
        StrLen $R7 $PathOld
        ${If} $R7 <= ${PATH_MAX_LENGTH}
          StrCpy $PathState "ok"
        ${EndIf}
      ${EndIf}
      ${If} $PathState != "ok"
        StrCpy $PathOld ""
      ${EndIf}
      ${ExitDo}
    ${EndIf}
    IntOp $R9 $R9 + 1
  ${Loop}
FunctionEnd

; $PathRest: $PathOld without the entries naming $INSTDIR (with or without a final backslash,
; in any case), every other entry kept as it was, in its place; $PathFound: how many there were.
Function ${UN}PathWithout
  StrCpy $PathRest ""
  StrCpy $PathFound 0
  StrCpy $R1 $PathOld
  StrCpy $R5 0 ; entries kept so far
  ${Do}
    StrCpy $R3 0
    ${Do}
      StrCpy $R4 $R1 1 $R3
      ${If} $R4 == ""
      ${OrIf} $R4 == ";"
        ${ExitDo}
      ${EndIf}
      IntOp $R3 $R3 + 1
    ${Loop}
    StrCpy $R2 $R1 $R3
    ${If} $R2 == $INSTDIR
    ${OrIf} $R2 == "$INSTDIR\"
      IntOp $PathFound $PathFound + 1
    ${Else}
      ${If} $R5 = 0
        StrCpy $PathRest $R2
      ${Else}
        StrCpy $PathRest "$PathRest;$R2"
      ${EndIf}
      IntOp $R5 $R5 + 1
    ${EndIf}
    ${If} $R4 == ""
      ${ExitDo}
    ${EndIf}
    IntOp $R3 $R3 + 1
    StrCpy $R1 $R1 "" $R3
  ${Loop}
FunctionEnd

; Writes $0 as the PATH (deleting the value when empty) and tells the running programs.
Function ${UN}WritePath
  ${If} $AllUsers = 1
    ${If} $0 == ""
      DeleteRegValue HKLM "${SYSTEM_ENVIRONMENT}" "Path"
    ${Else}
      WriteRegExpandStr HKLM "${SYSTEM_ENVIRONMENT}" "Path" $0
    ${EndIf}
  ${Else}
    ${If} $0 == ""
      DeleteRegValue HKCU "${USER_ENVIRONMENT}" "Path"
    ${Else}
      WriteRegExpandStr HKCU "${USER_ENVIRONMENT}" "Path" $0
    ${EndIf}
  ${EndIf}
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=1000
FunctionEnd

; Takes the programs' folder out of the PATH, or says why it is left there.
Function ${UN}RemovePathEntry
  Call ${UN}ReadPath
  ${If} $PathState == "unreadable"
    DetailPrint "$(PathLeft)"
    MessageBox MB_ICONEXCLAMATION|MB_OK "$(PathLeft)" /SD IDOK
    Return
  ${EndIf}
  Call ${UN}PathWithout
  ${If} $PathFound > 0
    StrCpy $0 $PathRest
    Call ${UN}WritePath
  ${EndIf}
FunctionEnd

!macroend
!insertmacro SHARED_FUNCTIONS ""
!insertmacro SHARED_FUNCTIONS "un."

; Says whether the programs' folder can go on the PATH: $PathAction "none" when it is there
; already, "add" with the new PATH in $PathNew, "refuse" when the PATH cannot be read whole or
; would grow past what can be read back whole.
Function PlanPath
  Call ReadPath
  ${If} $PathState == "unreadable"
    StrCpy $PathAction "refuse"
    Return
  ${EndIf}
  Call PathWithout
  ${If} $PathFound > 0
    StrCpy $PathAction "none"
    Return
  ${EndIf}
  StrLen $R0 $PathOld
  StrLen $R1 $INSTDIR
  IntOp $R0 $R0 + $R1
  IntOp $R0 $R0 + 1
  ${If} $R0 > ${PATH_MAX_LENGTH}
    StrCpy $PathAction "refuse"
    Return
  ${EndIf}
  StrCpy $R2 $PathOld 1 -1
  ${If} $PathOld == ""
  ${OrIf} $R2 == ";"
    StrCpy $PathNew "$PathOld$INSTDIR"
  ${Else}
    StrCpy $PathNew "$PathOld;$INSTDIR"
  ${EndIf}
  StrCpy $PathAction "add"
FunctionEnd

; Takes the kind of install in $AllUsers: its folder (the install there already, /D, or the
; default), $Upgrade and $PathBefore, or $Refusal and $RefusalCode when another install is in the
; way.  Never a second copy beside one already there.
Function ApplyMode
  Call UseMode
  StrCpy $Refusal ""
  StrCpy $Upgrade 0
  StrCpy $PathBefore 0
  ; (An entry whose folder has lost its uninstaller is a leftover: it could not be uninstalled.)
  ${If} $AllUsers = 1
    ReadRegStr $Existing HKCU "${UNINST_KEY}" "InstallLocation"
    ${If} $Existing != ""
    ${AndIf} ${FileExists} "$Existing\${UNINSTALLER}"
      StrCpy $Refusal "$(InstalledForMe)"
      StrCpy $RefusalCode 4
      Return
    ${EndIf}
  ${Else}
    ReadRegStr $Existing HKLM "${UNINST_KEY}" "InstallLocation"
    ${If} $Existing != ""
    ${AndIf} ${FileExists} "$Existing\${UNINSTALLER}"
      StrCpy $Refusal "$(InstalledForAll)"
      StrCpy $RefusalCode 4
      Return
    ${EndIf}
  ${EndIf}
  ReadRegStr $Existing SHCTX "${UNINST_KEY}" "InstallLocation"
  ${If} $Existing != ""
    ${If} $DirGiven != ""
    ${AndIf} $DirGiven != $Existing
      StrCpy $Refusal "$(InstalledElsewhere)"
      StrCpy $RefusalCode 4
      Return
    ${EndIf}
    StrCpy $INSTDIR $Existing
    StrCpy $Upgrade 1
    ReadRegDWORD $PathBefore SHCTX "${UNINST_KEY}" "PathEntry"
    ${If} $PathBefore != 1
      StrCpy $PathBefore 0
    ${EndIf}
  ${ElseIf} $DirGiven != ""
    StrCpy $INSTDIR $DirGiven
  ${ElseIf} $AllUsers = 1
    StrCpy $INSTDIR "$PROGRAMFILES64\${APP_NAME}"
  ${Else}
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${APP_NAME}"
  ${EndIf}
FunctionEnd

; Ends the setup with a message (not shown in silent mode) and an exit code.
!macro QUIT_WITH CODE TEXT
  MessageBox MB_ICONSTOP|MB_OK "${TEXT}" /SD IDOK
  SetErrorLevel ${CODE}
  Quit
!macroend

Function .onInit
  SetRegView 64
  StrCpy $DirGiven $INSTDIR
  StrCpy $AllUsers 0
  StrCpy $WantPath 0
  StrCpy $AskMode 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/PATH" $R1
  ${IfNot} ${Errors}
    StrCpy $WantPath 1
  ${EndIf}
  UserInfo::GetAccountType
  Pop $R1
  ${If} $R1 == "Admin"
    StrCpy $IsAdmin 1
  ${Else}
    StrCpy $IsAdmin 0
  ${EndIf}
  ${If} $AllUsers = 1
  ${AndIf} $IsAdmin = 0
    !insertmacro QUIT_WITH 740 "$(NeedAdmin)"
  ${EndIf}

  Call IsRunning
  ${If} $0 = 1
    !insertmacro QUIT_WITH 3 "$(ProgramOpen)"
  ${EndIf}

  ; With administrator rights and a window, the mode page asks, preset to the install there
  ; already (all users when there is one for all users only).
  ${If} $IsAdmin = 1
  ${AndIfNot} ${Silent}
  ${AndIf} $AllUsers = 0
    StrCpy $AskMode 1
    ReadRegStr $R1 HKLM "${UNINST_KEY}" "InstallLocation"
    ReadRegStr $R2 HKCU "${UNINST_KEY}" "InstallLocation"
    ${If} $R1 != ""
    ${AndIf} $R2 == ""
      StrCpy $AllUsers 1
    ${EndIf}
  ${EndIf}
  Call ApplyMode
  ${If} $AskMode = 0
  ${AndIf} $Refusal != ""
    !insertmacro QUIT_WITH $RefusalCode "$Refusal"
  ${EndIf}
  Call ProgramsInUse
  ${If} $0 = 1
    !insertmacro QUIT_WITH 3 "$(ProgramOpen)"
  ${EndIf}

  ; An upgrade keeps the programs' folder on the PATH when the install it replaces put it there.
  ${If} $PathBefore = 1
    StrCpy $WantPath 1
  ${EndIf}
  ${If} ${Silent}
  ${AndIf} $WantPath = 1
  ${AndIf} $PathBefore = 0
    Call PlanPath
    ${If} $PathAction == "refuse"
      !insertmacro QUIT_WITH 5 "$(PathTooLong)"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function ModePageShow
  ${If} $AskMode != 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "$(ModeTitle)" "$(ModeSubtitle)"
  nsDialogs::Create 1018
  Pop $R0
  ${NSD_CreateRadioButton} 0 8u 100% 12u "$(ModeMine)"
  Pop $RadioMine
  ${NSD_CreateLabel} 12u 22u -12u 24u "$(ModeMineDetail)"
  Pop $R0
  ${NSD_CreateRadioButton} 0 56u 100% 12u "$(ModeAll)"
  Pop $RadioAll
  ${NSD_CreateLabel} 12u 70u -12u 24u "$(ModeAllDetail)"
  Pop $R0
  ${If} $AllUsers = 1
    ${NSD_Check} $RadioAll
  ${Else}
    ${NSD_Check} $RadioMine
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $RadioAll $R0
  ${If} $R0 = ${BST_CHECKED}
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  Call ApplyMode
  ${If} $Refusal != ""
    MessageBox MB_ICONEXCLAMATION|MB_OK "$Refusal"
    Abort
  ${EndIf}
  ${If} $PathBefore = 1
    StrCpy $WantPath 1
  ${EndIf}
FunctionEnd

; An upgrade goes into the folder of the install it replaces.
Function SkipWhenUpgrading
  ${If} $Upgrade = 1
    Abort
  ${EndIf}
FunctionEnd

Function OptionsPageShow
  !insertmacro MUI_HEADER_TEXT "$(OptionsTitle)" "$(OptionsSubtitle)"
  nsDialogs::Create 1018
  Pop $R0
  ${NSD_CreateCheckbox} 0 8u 100% 12u "$(PathOption)"
  Pop $PathBox
  ${NSD_CreateLabel} 12u 22u -12u 30u "$(PathOptionDetail)"
  Pop $R0
  ${If} $WantPath = 1
    ${NSD_Check} $PathBox
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function OptionsPageLeave
  ${NSD_GetState} $PathBox $R0
  ${If} $R0 <> ${BST_CHECKED}
    StrCpy $WantPath 0
    Return
  ${EndIf}
  StrCpy $WantPath 1
  Call PlanPath
  ${If} $PathAction == "refuse"
  ${AndIf} $PathBefore = 0
    MessageBox MB_ICONEXCLAMATION|MB_OK "$(PathTooLong)"
    ${NSD_Uncheck} $PathBox
    StrCpy $WantPath 0
    Abort
  ${EndIf}
FunctionEnd

; The files of the version replaced that this one no longer has: those named in its list
; ($INSTDIR\FILE_LIST_NAME.avant) and not in this one's.
Function RemoveStaleFiles
  FileOpen $R0 "$INSTDIR\${FILE_LIST_NAME}.avant" r
  ${Do}
    ClearErrors
    FileRead $R0 $R1
    ${If} ${Errors}
      ${ExitDo}
    ${EndIf}
    ${TrimNewLines} $R1 $R1
    ${If} $R1 == ""
      ${Continue}
    ${EndIf}
    StrCpy $R3 0
    FileOpen $R2 "$INSTDIR\${FILE_LIST_NAME}" r
    ${Do}
      ClearErrors
      FileRead $R2 $R4
      ${If} ${Errors}
        ${ExitDo}
      ${EndIf}
      ${TrimNewLines} $R4 $R4
      ${If} $R4 == $R1
        StrCpy $R3 1
        ${ExitDo}
      ${EndIf}
    ${Loop}
    FileClose $R2
    ${If} $R3 = 0
      Delete "$INSTDIR\$R1"
    ${EndIf}
  ${Loop}
  FileClose $R0
  Delete "$INSTDIR\${FILE_LIST_NAME}.avant"
FunctionEnd

Section "$(SectionName)" SecMain
  SectionIn RO

  ; The program may have been started while the pages were shown.
  Call ProgramsInUse
  ${If} $0 = 1
    MessageBox MB_ICONSTOP|MB_OK "$(ProgramOpen)" /SD IDOK
    SetErrorLevel 3
    Abort
  ${EndIf}

  SetOutPath "$INSTDIR"
  ${If} $Upgrade = 1
    DetailPrint "$(Upgrading)"
  ${EndIf}
  ; An upgrade stopped before it wrote its own list leaves the older one under its other name.
  ${If} ${FileExists} "$INSTDIR\${FILE_LIST_NAME}.avant"
  ${AndIfNot} ${FileExists} "$INSTDIR\${FILE_LIST_NAME}"
    Rename "$INSTDIR\${FILE_LIST_NAME}.avant" "$INSTDIR\${FILE_LIST_NAME}"
  ${EndIf}
  Delete "$INSTDIR\${FILE_LIST_NAME}.avant"
  ${If} ${FileExists} "$INSTDIR\${FILE_LIST_NAME}"
    Rename "$INSTDIR\${FILE_LIST_NAME}" "$INSTDIR\${FILE_LIST_NAME}.avant"
  ${ElseIf} ${FileExists} "$INSTDIR\${UNINSTALLER}"
    ; An install older than the list of files: its own uninstaller takes its files away first.
    ; _?= makes it run in place and wait.
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

  File /r "${STAGE_DIR}/*"
  File "/oname=${FILE_LIST_NAME}" "${FILE_LIST}"
  ${If} ${FileExists} "$INSTDIR\${FILE_LIST_NAME}.avant"
    Call RemoveStaleFiles
  ${EndIf}
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateShortcut "$SMPROGRAMS\${APP_NAME}.lnk" "$INSTDIR\${APP_EXE}" "" "$INSTDIR\${APP_EXE}" 0

  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "${APP_NAME}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${APP_EXE},0"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" $0

  ; The .dat file type: TORVA-PC among the programs that open it, and its default only when no
  ; other program is (.dat is used by many).
  WriteRegStr SHCTX "${CLASSES}\${PROGID}" "" "$(DatTypeName)"
  WriteRegStr SHCTX "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\${APP_EXE},0"
  WriteRegStr SHCTX "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\${APP_EXE}" "%1"'
  WriteRegNone SHCTX "${CLASSES}\.dat\OpenWithProgids" "${PROGID}"
  ReadRegStr $R0 SHCTX "${CLASSES}\.dat" ""
  StrCpy $R1 ""
  ${If} $AllUsers = 0
    ReadRegStr $R1 HKCR ".dat" "" ; what this account's programs see, all users' included
  ${EndIf}
  ${If} $R0 == ""
  ${OrIf} $R0 == "${PROGID}"
    ${If} $R1 == ""
    ${OrIf} $R1 == "${PROGID}"
      WriteRegStr SHCTX "${CLASSES}\.dat" "" "${PROGID}"
    ${EndIf}
  ${EndIf}
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  ; The PATH, as chosen; PathEntry tells the uninstaller and the next upgrade.
  StrCpy $R6 0
  ${If} $WantPath = 1
    Call PlanPath
    ${If} $PathAction == "add"
      StrCpy $0 $PathNew
      Call WritePath
      StrCpy $R6 1
    ${ElseIf} $PathAction == "none"
      StrCpy $R6 1
    ${ElseIf} $PathBefore = 1
      StrCpy $R6 1 ; there before; the PATH has grown past what can be read whole since
    ${Else}
      DetailPrint "$(PathTooLong)"
    ${EndIf}
  ${ElseIf} $PathBefore = 1
    Call RemovePathEntry
  ${EndIf}
  WriteRegDWORD SHCTX "${UNINST_KEY}" "PathEntry" $R6
SectionEnd

Function un.onInit
  SetRegView 64
  ; Which install this is: the one listed for this account, else the one for all users.
  StrCpy $AllUsers 0
  ReadRegStr $R0 HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $R0 != $INSTDIR
    ReadRegStr $R0 HKLM "${UNINST_KEY}" "InstallLocation"
    ${If} $R0 == $INSTDIR
      StrCpy $AllUsers 1
    ${EndIf}
  ${EndIf}
  ${If} $AllUsers = 1
    UserInfo::GetAccountType
    Pop $R1
    ${If} $R1 != "Admin"
      !insertmacro QUIT_WITH 740 "$(NeedAdminUninstall)"
    ${EndIf}
  ${EndIf}
  Call un.UseMode
  Call un.ProgramsInUse
  ${If} $0 = 1
    !insertmacro QUIT_WITH 3 "$(ProgramOpenUninstall)"
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.ProgramsInUse
  ${If} $0 = 1
    MessageBox MB_ICONSTOP|MB_OK "$(ProgramOpenUninstall)" /SD IDOK
    SetErrorLevel 3
    Abort
  ${EndIf}

  Delete "$SMPROGRAMS\${APP_NAME}.lnk"
  !include "${UNINSTALL_LIST}"
  Delete "$INSTDIR\${FILE_LIST_NAME}"
  Delete "$INSTDIR\${FILE_LIST_NAME}.avant"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"

  ; The file type: what the installer made, and .dat's default only while it is still ours.
  DeleteRegKey SHCTX "${CLASSES}\${PROGID}"
  DeleteRegValue SHCTX "${CLASSES}\.dat\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty SHCTX "${CLASSES}\.dat\OpenWithProgids"
  ReadRegStr $R0 SHCTX "${CLASSES}\.dat" ""
  ${If} $R0 == "${PROGID}"
    DeleteRegValue SHCTX "${CLASSES}\.dat" ""
  ${EndIf}
  DeleteRegKey /ifempty SHCTX "${CLASSES}\.dat"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  ReadRegDWORD $R0 SHCTX "${UNINST_KEY}" "PathEntry"
  ${If} $R0 = 1
    Call un.RemovePathEntry
  ${EndIf}
  DeleteRegKey SHCTX "${UNINST_KEY}"
SectionEnd

!delfile "${UNINSTALL_LIST}"
!delfile "${FILE_LIST}"
