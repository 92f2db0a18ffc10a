#!/usr/bin/env bash
# The installer under Wine, as the technicians run it on their laptops, each case in a fresh Wine
# prefix on a virtual screen of its own:
#   1. for the account alone (the default, no administrator rights): the PATH option refused when
#      the PATH is too long to change whole, then granted at the longest PATH it still fits; the
#      programs in %LOCALAPPDATA%\Programs\TORVA-PC and every entry under HKCU only; the version
#      information of the programs and of the setup; another program's .dat left its default;
#      the installed programs run; the uninstall takes back all it made and nothing else;
#   2. for all users (/ALLUSERS): Program Files and HKLM; a setup for the account alone refused
#      over it; a .dat file whose path holds a space and an accent opened through the file type
#      (ShellExecute), a bad one refused by the program (the check can fail); the uninstall;
#   3. an upgrade: an older build installed, the settings, the emulated panel's file and the
#      journal made by it; the setup and the uninstaller refused while torva-pc.exe runs (the
#      installed one, or one from another folder), nothing touched; then the upgrade in place (new files, the old version's extra file gone, the
#      user's own kept, the user's data unchanged byte for byte) and the uninstall.
# (Wine 8 looks file types up under HKLM only, not HKCU\Software\Classes: the per-account file
# type is checked in the registry, and opened through ShellExecute in the all-users case.)
#
#   scripts/windows/install-test.sh SETUP.EXE STAGE_DIR ICON
#
# STAGE_DIR and ICON are what SETUP.EXE was made from: the older build is made from them.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 SETUP.EXE STAGE_DIR ICON" >&2; exit 2; }
setup=$(realpath "$1")
stage=$(realpath "$2")
icon=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
nsi=$(realpath "$here/../../packaging/windows/torva-pc.nsi")
version=$(basename "$setup" | sed -n 's/^torva-pc-\([0-9.]*\)-setup\.exe$/\1/p')
[ -n "$version" ] || { echo "$setup: not named torva-pc-VERSION-setup.exe" >&2; exit 2; }
for tool in makensis exiftool Xvfb xwininfo; do
    command -v "$tool" >/dev/null || { echo "$tool not found (scripts/windows.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb=
cleanup() {
    [ -z "${WINEPREFIX:-}" ] || /usr/lib/wine/wineserver -k 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
ok() {
    echo "  ok: $*"
}

# Every Wine program of the test runs on one virtual screen, so that torva-pc.exe can show its
# window in the session the setups run in.
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")

# A prefix of its own for each case: nothing of the build's Wine (its PATH, its DLLs) nor of the
# case before may help.
unset WINEPATH
new_prefix() {
    [ -z "${WINEPREFIX:-}" ] || /usr/lib/wine/wineserver -k 2>/dev/null || true
    TORVA_WINEPREFIX=$work/$1 source "$here/wine-env.sh"
    torva_wine_init
    local_app_data_win=$(torva_wine cmd.exe /c echo %LOCALAPPDATA% | tr -d '\r')
    local_app_data=$(torva_wine_local_app_data)
    app_data=$(torva_wine winepath.exe -u "$(torva_wine cmd.exe /c echo %APPDATA% | tr -d '\r')" | tr -d '\r')
    program_data=$WINEPREFIX/drive_c/ProgramData
    program_files=$WINEPREFIX/drive_c/Program\ Files
}

# run_setup EXE ARGS...: the status of one silent run, the output thrown away.
run_setup() {
    local status=0
    torva_wine "$@" >/dev/null 2>&1 || status=$?
    echo "$status"
}

# reg_value KEY NAME: the value as reg.exe shows it ("" for the default value); fails when absent.
reg_value() {
    local out line name=$2
    if [ -z "$name" ]; then
        out=$(torva_wine reg.exe query "$1" /ve 2>/dev/null) || return 1
        name='(Default)'
    else
        out=$(torva_wine reg.exe query "$1" /v "$name" 2>/dev/null) || return 1
    fi
    line=$(tr -d '\r' <<<"$out" | grep -F -m1 "    $name    REG_") || return 1
    line=${line#"    $name    "}
    [ "${line#*    }" != "(value not set)" ] || return 1
    printf '%s' "${line#*    }"
}
reg_key_absent() {
    ! torva_wine reg.exe query "$1" >/dev/null 2>&1
}
expect_value() { # KEY NAME EXPECTED WHAT
    local value
    value=$(reg_value "$1" "$2") || fail "$4: no value ${2:-(default)} in $1"
    [ "$value" = "$3" ] || fail "$4: $1 ${2:-(default)} is \"$value\", not \"$3\""
}

# uninstall KEY: what "Applications et fonctionnalités" does, silently: runs the entry's
# QuietUninstallString (the uninstaller copies itself out of the folder, and its copy removes the
# folder), then waits until the entry is gone, the uninstaller's last step.
uninstall() {
    local command program
    command=$(reg_value "$1" QuietUninstallString) || fail "no QuietUninstallString in $1"
    program=$(sed -n 's/^"\(.*\)" \/S$/\1/p' <<<"$command")
    [ -n "$program" ] || fail "QuietUninstallString is not \"UNINSTALLER\" /S: $command"
    torva_wine "$program" /S >/dev/null 2>&1 || fail "$command exited with $?"
    for _ in $(seq 120); do
        reg_key_absent "$1" && return 0
        sleep 0.5
    done
    fail "$command: the entry $1 is still there after a minute"
}

uninst_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\TORVA-PC'
progid='TORVA-PC.dat'

# The files of the stage in FOLDER, each byte for byte.
expect_stage_files() {
    local file
    while IFS= read -r -d '' file; do
        cmp -s "$stage/$file" "$1/$file" || fail "$1/$file: not the setup's (missing or different)"
    done < <(cd "$stage" && find . -type f -printf '%P\0')
}
# A fingerprint of every file below FOLDER (path and content).
fingerprint() {
    (cd "$1" && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum)
}

# The named windows torva-pc.exe shows (its input method windows left out).
torva_pc_windows() {
    xwininfo -root -tree 2>/dev/null | grep -F '("torva-pc.exe"' | grep -v -e '"Default IME"' \
        -e '(has no name)' | sed 's/^ *0x[0-9a-f]* "\(.*\)": (.*/\1/' || true
}
wait_main_window() {
    for _ in $(seq 120); do
        torva_pc_windows | grep -q '^OSTRALEC CONFIGURATION TORVA' && return 0
        sleep 0.5
    done
    fail "torva-pc.exe showed no main window within a minute"
}
# The Linux processes of the prefix's torva-pc.exe: Wine gives them the program's arguments,
# the first its path.
torva_pc_pids() {
    local pid
    for pid in $(pgrep -f 'torva-pc\.exe'); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -q -x -F "WINEPREFIX=$WINEPREFIX" || continue
        [[ $(head -z -n1 "/proc/$pid/cmdline" 2>/dev/null | tr -d '\0') == *torva-pc.exe ]] && echo "$pid"
    done
}

echo "== installer: $(basename "$setup"), $(du -k "$setup" | cut -f1) KiB"

# -- 1. For the account alone ---------------------------------------------------------------------
echo "-- for this account (no /ALLUSERS)"
new_prefix account
folder_win="$local_app_data_win\\Programs\\TORVA-PC"
folder="$local_app_data/Programs/TORVA-PC"
# Another program's .dat: its default and its other values stay as they are.
torva_wine reg.exe add 'HKCU\Software\Classes\.dat' /ve /d 'Autre.Donnees' /f >/dev/null 2>&1
torva_wine reg.exe add 'HKCU\Software\Classes\.dat' /v 'Content Type' /d 'text/plain' /f >/dev/null 2>&1

# user_path LENGTH: a PATH of exactly LENGTH characters, with an unexpanded variable and a space,
# that must come back untouched; it does not end with a separator.  (No empty entry: Wine's cmd
# stops looking for a program at one.)
user_path() {
    local path='%USERPROFILE%\bin;C:\outils\a;C:\Program Files\Outil B' n=0
    while [ ${#path} -lt "$1" ]; do
        n=$((n + 1))
        path+=$(printf ';C:\\outils\\o%03d' "$n")
    done
    path=${path:0:$1}
    [ "${path: -1}" != ';' ] || path="${path:0:$(($1 - 1))}x"
    printf '%s' "$path"
}
set_user_path() {
    torva_wine reg.exe add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "$1" /f >/dev/null 2>&1 ||
        fail "reg add HKCU\\Environment Path failed"
}
# The longest PATH the setup reads and writes whole holds 1022 characters (NSIS strings hold 1024
# with their terminator; one of 1023 cannot be told from a longer one cut short).
longest=1022
# name | PATH length before: the setup must refuse /PATH (exit 5) and change nothing.
refused_paths=(
    "the folder would make it one character too long|$((longest - ${#folder_win}))"
    "it cannot be told from a longer one cut short|1023"
    "it is longer than an NSIS string holds|1024"
    "it is far longer than an NSIS string holds|1500"
)
for row in "${refused_paths[@]}"; do
    name=${row%%|*}
    before=$(user_path "${row#*|}")
    set_user_path "$before"
    status=$(run_setup "$setup" /S /PATH)
    [ "$status" = 5 ] || fail "/PATH with a PATH where $name: exit $status, not 5 (refused)"
    [ ! -e "$folder" ] || fail "/PATH refused ($name), yet $folder was made"
    reg_key_absent "HKCU\\$uninst_key" || fail "/PATH refused ($name), yet the uninstall entry was made"
    expect_value 'HKCU\Environment' Path "$before" "/PATH refused ($name)"
    ok "/PATH refused (exit 5) with a PATH of ${#before} characters ($name), nothing changed"
done

# The longest PATH the folder still fits in: the install with /PATH.
path_before=$(user_path $((longest - 1 - ${#folder_win})))
set_user_path "$path_before"
status=$(run_setup "$setup" /S /PATH)
[ "$status" = 0 ] || fail "the silent install with /PATH exited with $status"
for file in torva-pc.exe torva-cli.exe torva-report.exe Uninstall.exe fichiers-installes.txt; do
    [ -f "$folder/$file" ] || fail "not installed in $folder: $file"
done
expect_stage_files "$folder"
[ ! -e "$program_files/TORVA-PC" ] || fail "a per-account install made Program Files\\TORVA-PC"
ok "programs in $folder_win, byte for byte; nothing in Program Files"
expect_value "HKCU\\$uninst_key" InstallLocation "$folder_win" "uninstall entry"
expect_value "HKCU\\$uninst_key" DisplayVersion "$version" "uninstall entry"
expect_value "HKCU\\$uninst_key" UninstallString "\"$folder_win\\Uninstall.exe\"" "uninstall entry"
reg_key_absent "HKLM\\$uninst_key" || fail "a per-account install wrote HKLM\\$uninst_key"
ok "uninstall entry under HKCU (version $version), none under HKLM"
shortcut="$app_data/Microsoft/Windows/Start Menu/Programs/TORVA-PC.lnk"
[ -f "$shortcut" ] || fail "no Start-menu shortcut in the account's menu: $shortcut"
[ -z "$(find "$program_data" -name 'TORVA-PC.lnk' 2>/dev/null)" ] || fail "a shortcut in all users' menu"
ok "Start-menu shortcut in the account's menu only"
expect_value "HKCU\\Software\\Classes\\$progid\\shell\\open\\command" "" "\"$folder_win\\torva-pc.exe\" \"%1\"" \
    "open command"
expect_value "HKCU\\Software\\Classes\\$progid\\DefaultIcon" "" "$folder_win\\torva-pc.exe,0" "file type icon"
reg_value 'HKCU\Software\Classes\.dat\OpenWithProgids' "$progid" >/dev/null ||
    fail "$progid not among .dat's programs (OpenWithProgids)"
expect_value 'HKCU\Software\Classes\.dat' "" 'Autre.Donnees' "another program's default for .dat"
reg_key_absent "HKLM\\Software\\Classes\\$progid" || fail "a per-account install wrote HKLM\\Software\\Classes"
ok ".dat: $progid under HKCU (open command, icon, \"Ouvrir avec\"), the other program still its default"
expect_value 'HKCU\Environment' Path "$path_before;$folder_win" "PATH with /PATH"
ok "PATH: the folder added at the end (${longest} characters), the rest untouched"

# The programs' and the setup's version information, as Explorer shows it.
# file | description
described=(
    "$folder/torva-pc.exe|TORVA-PC, configurateur pour TORVA-UP"
    "$folder/torva-cli.exe|TORVA-PC en ligne de commande"
    "$setup|Installation de TORVA-PC $version"
)
for row in "${described[@]}"; do
    file=${row%%|*}
    info=$(exiftool -s3 -ProductName -ProductVersion -FileDescription -CompanyName "$file")
    expected=$(printf 'TORVA-PC\n%s\n%s\nOSTRALEC' "$version" "${row#*|}")
    [ "$info" = "$expected" ] || fail "$(basename "$file")'s version information: $(echo $info), not $(echo $expected)"
    ok "$(basename "$file"): TORVA-PC $version, \"${row#*|}\", OSTRALEC"
done

# The installed programs run with only what the installer put beside them.
help=$(cd "$folder" && torva_wine ./torva-cli.exe --help | tr -d '\r') || fail "torva-cli.exe --help exited with $?"
grep -q -- '--port PORT' <<<"$help" || fail "torva-cli.exe --help does not describe --port"
shown=$(cd "$work" && torva_wine "$folder/torva-cli.exe" receive --port sim -o 'C:\users\recu.dat' 2>&1 | tr -d '\r') ||
    fail "torva-cli.exe receive --port sim: $shown"
[ -f "$WINEPREFIX/drive_c/users/recu.dat" ] || fail "torva-cli.exe receive --port sim wrote no file"
entry=$(find "$local_app_data/torva-pc" -path '*journal/*' -name '*.json' | head -1)
[ -n "$entry" ] || fail "torva-cli.exe receive --port sim left no journal entry"
shown=$(cd "$work" && torva_wine "$folder/torva-report.exe" "Z:$(dirname "$(dirname "$entry")")" \
    "$(basename "$entry" .json)" -o 'C:\users\rapport.pdf' 2>&1 | tr -d '\r') || fail "torva-report.exe: $shown"
[ -s "$WINEPREFIX/drive_c/users/rapport.pdf" ] || fail "torva-report.exe wrote no report"
ok "torva-cli.exe receive --port sim and torva-report.exe of its journal entry"

data_before=$(fingerprint "$local_app_data/torva-pc")
uninstall "HKCU\\$uninst_key"
[ ! -e "$folder" ] || fail "$folder left after the uninstall: $(ls -A "$folder" | head -5 | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the shortcut is left after the uninstall"
reg_key_absent "HKCU\\$uninst_key" || fail "the uninstall entry is left"
reg_key_absent "HKCU\\Software\\Classes\\$progid" || fail "the uninstall left HKCU\\Software\\Classes\\$progid"
! reg_value 'HKCU\Software\Classes\.dat\OpenWithProgids' "$progid" >/dev/null ||
    fail "the uninstall left $progid among .dat's programs"
expect_value 'HKCU\Software\Classes\.dat' "" 'Autre.Donnees' "another program's .dat after the uninstall"
expect_value 'HKCU\Software\Classes\.dat' 'Content Type' 'text/plain' "another program's .dat after the uninstall"
expect_value 'HKCU\Environment' Path "$path_before" "PATH after the uninstall"
[ "$(fingerprint "$local_app_data/torva-pc")" = "$data_before" ] || fail "the uninstall changed %LOCALAPPDATA%\\torva-pc"
ok "uninstalled: programs, shortcut, entry, file type and PATH entry gone; the other program's .dat," \
    "the PATH as it was, the journal and the panel's file kept"

# -- 2. For all users ------------------------------------------------------------------------------
echo "-- for all users (/ALLUSERS)"
new_prefix allusers
folder_win='C:\Program Files\TORVA-PC'
folder="$program_files/TORVA-PC"
system_environment='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
system_path=$(reg_value "$system_environment" Path) || fail "no system PATH in the fresh prefix"
reg_key_absent 'HKLM\Software\Classes\.dat' || fail "the fresh prefix has a .dat file type already"
status=$(run_setup "$setup" /S /ALLUSERS /PATH)
[ "$status" = 0 ] || fail "the silent install with /ALLUSERS /PATH exited with $status"
expect_stage_files "$folder"
[ ! -e "$local_app_data/Programs/TORVA-PC" ] || fail "an all-users install wrote into %LOCALAPPDATA%"
expect_value "HKLM\\$uninst_key" InstallLocation "$folder_win" "all-users uninstall entry"
expect_value "HKLM\\$uninst_key" DisplayVersion "$version" "all-users uninstall entry"
reg_key_absent "HKCU\\$uninst_key" || fail "an all-users install wrote HKCU\\$uninst_key"
shortcut=$(find "$program_data" -path '*Start Menu*' -name 'TORVA-PC.lnk' | head -1)
[ -n "$shortcut" ] || fail "no Start-menu shortcut in all users' menu"
expect_value 'HKLM\Software\Classes\.dat' "" "$progid" "all users' .dat default (no other program had it)"
reg_key_absent "HKCU\\Software\\Classes\\$progid" || fail "an all-users install wrote HKCU\\Software\\Classes"
expect_value "$system_environment" Path "$system_path;$folder_win" "system PATH with /ALLUSERS /PATH"
ok "programs in $folder_win, HKLM entries only, all users' shortcut, .dat's default, the folder on the system PATH"
# torva-cli from any folder through the PATH.  (Here rather than for the account's PATH above:
# Wine's cmd reads no more than 1024 characters of the PATH.)
shown=$(cd "$work" && torva_wine cmd.exe /c 'cd /d C:\users && torva-cli --version' 2>&1 | tr -d '\r') ||
    fail "torva-cli through the PATH: $shown"
[ "$shown" = "torva-cli $version" ] || fail "torva-cli --version through the PATH said \"$shown\""
ok "torva-cli --version through the PATH, from C:\\users: $shown"

status=$(run_setup "$setup" /S)
[ "$status" = 4 ] || fail "a per-account setup over an all-users install: exit $status, not 4 (refused)"
[ ! -e "$local_app_data/Programs/TORVA-PC" ] || fail "a refused per-account setup made a second copy"
reg_key_absent "HKCU\\$uninst_key" || fail "a refused per-account setup wrote its uninstall entry"
ok "a per-account setup over it refused (exit 4), no second copy"

# A valid data file in a folder whose name holds a space, its own an accent, opened as a double
# click opens it: Wine's trace of the process the shell starts shows its command line.
mkdir -p "$WINEPREFIX/drive_c/users/Public/Mes essais"
shown=$(cd "$work" && torva_wine "$folder/torva-cli.exe" receive --port sim -o 'C:\users\Public\Mes essais\configuré.dat' \
    2>&1 | tr -d '\r') || fail "torva-cli.exe receive --port sim -o ...configuré.dat: $shown"
printf 'pas une configuration\n' >"$WINEPREFIX/drive_c/users/Public/Mes essais/abîmé.dat"
# name | file | what the program must show
opened=(
    "a valid file|configuré.dat|its window alone"
    "a file it refuses|abîmé.dat|a message besides its window"
)
for row in "${opened[@]}"; do
    IFS='|' read -r name file expected <<<"$row"
    WINEDEBUG=-all,trace+process torva_wine cmd.exe /c start "" "C:\\users\\Public\\Mes essais\\$file" \
        >/dev/null 2>"$work/start.trace" || fail "start \"$file\" exited with $?"
    wait_main_window
    sleep 3 # time for a refusal's message to come up
    wine_name=$(sed 's/é/\\00e9/; s/î/\\00ee/' <<<"$file")
    command_line="cmdline L\"\\\"C:\\\\Program Files\\\\TORVA-PC\\\\torva-pc.exe\\\" \\\"C:\\\\users\\\\Public\\\\Mes essais\\\\$wine_name\\\"\""
    grep -a -q -F "CreateProcessInternalW app (null) $command_line" "$work/start.trace" ||
        fail "$name: torva-pc.exe not started with \"...\\Mes essais\\$file\": $(grep -a 'torva-pc' "$work/start.trace" | head -2)"
    pid=$(torva_pc_pids)
    [ -n "$pid" ] || fail "$name: torva-pc.exe did not stay up"
    [ "$(wc -l <<<"$pid")" = 1 ] || fail "$name: more than one torva-pc.exe runs"
    arguments=$(tr '\0' '\n' <"/proc/$pid/cmdline" | tail -n +2)
    [ "$arguments" = "C:\\users\\Public\\Mes essais\\$file" ] ||
        fail "$name: torva-pc.exe's arguments are \"$arguments\", not the file's path alone"
    windows=$(torva_pc_windows | sort)
    if [ "$expected" = "its window alone" ]; then
        [ "$(wc -l <<<"$windows")" = 1 ] || fail "$name: torva-pc.exe shows $(paste -sd ';' <<<"$windows")"
    else
        [ "$(wc -l <<<"$windows")" -ge 2 ] || fail "$name: torva-pc.exe refused nothing: $(paste -sd ';' <<<"$windows")"
    fi
    ok "$name opened through .dat's file type: torva-pc.exe \"C:\\users\\Public\\Mes essais\\$file\", $expected" \
        "($(paste -sd ';' <<<"$windows"))"
    /usr/lib/wine/wineserver -k
    /usr/lib/wine/wineserver -w
    torva_wine_server
done

uninstall "HKLM\\$uninst_key"
[ ! -e "$folder" ] || fail "$folder left after the uninstall"
[ ! -e "$shortcut" ] || fail "all users' shortcut left after the uninstall"
reg_key_absent "HKLM\\$uninst_key" || fail "the all-users uninstall entry is left"
reg_key_absent 'HKLM\Software\Classes\.dat' || fail "the uninstall left HKLM\\Software\\Classes\\.dat, which it made"
reg_key_absent "HKLM\\Software\\Classes\\$progid" || fail "the uninstall left HKLM\\Software\\Classes\\$progid"
expect_value "$system_environment" Path "$system_path" "system PATH after the uninstall"
ok "uninstalled: programs, shortcut, HKLM entry, file type and system PATH entry gone"

# -- 3. An upgrade ---------------------------------------------------------------------------------
echo "-- upgrade from an older build"
# The older build: the same programs and one file this version no longer has.
cp -a "$stage" "$work/stage-older"
cp "$stage/imageformats/qico.dll" "$work/stage-older/imageformats/qancien.dll"
older=$work/torva-pc-2.9-setup.exe
makensis -V1 -NOCD '-XSetCompressor /FINAL zlib' "-DSTAGE_DIR=$work/stage-older" "-DOUT_FILE=$older" \
    -DVERSION=2.9 "-DICON=$icon" "$nsi" >/dev/null || fail "makensis of the older build failed"
new_prefix upgrade
folder_win="$local_app_data_win\\Programs\\TORVA-PC"
folder="$local_app_data/Programs/TORVA-PC"
status=$(run_setup "$older" /S)
[ "$status" = 0 ] || fail "the older build's install exited with $status"
expect_value "HKCU\\$uninst_key" DisplayVersion 2.9 "the older build's entry"
expect_value 'HKCU\Software\Classes\.dat' "" "$progid" "the account's .dat default (no other program had it)"
# The user's settings, panel and journal, made with the older build, and a file of the user's own
# in the programs' folder.
torva_wine reg.exe add 'HKCU\Software\torva-pc' /v Essai /d 'garder 42' /f >/dev/null 2>&1 || fail "reg add failed"
# The emulated panel keeps its configuration in its file once a send has changed it: the UGA
# command of loop 1 and the alarm mode of loop 2 changed in what it gave.
shown=$(cd "$work" && torva_wine "$folder/torva-cli.exe" receive --port sim -o 'C:\users\recu.dat' 2>&1 |
    tr -d '\r') || fail "the older torva-cli.exe receive --port sim: $shown"
sed -e '2s/.*/ 0 \r/' -e '5s/.*/ 1 \r/' "$WINEPREFIX/drive_c/users/recu.dat" >"$WINEPREFIX/drive_c/users/autre.dat"
shown=$(cd "$work" && torva_wine "$folder/torva-cli.exe" send 'C:\users\autre.dat' --port sim 2>&1 |
    tr -d '\r') || fail "the older torva-cli.exe send --port sim: $shown"
[ -f "$local_app_data/torva-pc/ecs-simulee.dat" ] || fail "the emulated panel kept no file"
[ "$(find "$local_app_data/torva-pc" -path '*journal/*' -name '*.json' | wc -l)" = 2 ] || fail "not two journal entries"
data_before=$(fingerprint "$local_app_data/torva-pc")
echo 'mes notes' >"$folder/notes.txt"
ok "2.9 installed; settings value Essai, and in %LOCALAPPDATA%\\torva-pc:" \
    "$(cd "$local_app_data/torva-pc" && find . -type f -printf '%P ' | sed 's|journal/[^/]*/|journal/.../|g')"

# While torva-pc.exe runs, neither the setup nor the uninstaller changes anything: the one
# installed (its files cannot be replaced), and one run from elsewhere (only its mark tells).
# name | torva-pc.exe started
running=(
    "the installed torva-pc.exe|$folder/torva-pc.exe"
    "a torva-pc.exe from another folder|$work/stage-older/torva-pc.exe"
)
programs_before=$(fingerprint "$folder")
for row in "${running[@]}"; do
    IFS='|' read -r name program <<<"$row"
    (cd "$work" && torva_wine "$program" >/dev/null 2>&1 &)
    wait_main_window
    # what | program and arguments
    while_running=(
        "the $version setup|$setup|/S"
        "the uninstaller|$folder/Uninstall.exe|/S|_?=$folder_win"
    )
    for refused in "${while_running[@]}"; do
        IFS='|' read -r -a fields <<<"$refused"
        status=$(run_setup "${fields[@]:1}")
        [ "$status" = 3 ] || fail "${fields[0]} while $name runs: exit $status, not 3 (refused)"
        [ "$(fingerprint "$folder")" = "$programs_before" ] || fail "${fields[0]} changed the programs while $name ran"
        expect_value "HKCU\\$uninst_key" DisplayVersion 2.9 "${fields[0]} while $name runs"
        ok "${fields[0]} refused (exit 3) while $name runs, nothing changed"
    done
    /usr/lib/wine/wineserver -k
    /usr/lib/wine/wineserver -w
    torva_wine_server
    [ -z "$(torva_pc_pids)" ] || fail "torva-pc.exe did not end"
done

status=$(run_setup "$setup" /S)
[ "$status" = 0 ] || fail "the upgrade exited with $status"
expect_value "HKCU\\$uninst_key" DisplayVersion "$version" "entry after the upgrade"
expect_value "HKCU\\$uninst_key" InstallLocation "$folder_win" "entry after the upgrade"
expect_stage_files "$folder"
[ ! -e "$folder/imageformats/qancien.dll" ] || fail "the upgrade left the older build's imageformats/qancien.dll"
[ "$(cat "$folder/notes.txt")" = 'mes notes' ] || fail "the upgrade removed the user's notes.txt"
expect_value 'HKCU\Software\torva-pc' Essai 'garder 42' "settings after the upgrade"
[ "$(fingerprint "$local_app_data/torva-pc")" = "$data_before" ] || fail "the upgrade changed %LOCALAPPDATA%\\torva-pc"
ok "upgraded to $version in the same folder: the programs replaced, the older build's extra file gone;" \
    "the user's file, settings value, panel's file and journal kept"

uninstall "HKCU\\$uninst_key"
[ ! -e "$folder/torva-pc.exe" ] || fail "torva-pc.exe left after the uninstall"
[ -z "$(find "$app_data" -name 'TORVA-PC.lnk')" ] || fail "the shortcut is left after the uninstall"
reg_key_absent "HKCU\\$uninst_key" || fail "the uninstall entry is left"
reg_key_absent 'HKCU\Software\Classes\.dat' || fail "the uninstall left HKCU\\Software\\Classes\\.dat, which it made"
! reg_value 'HKCU\Environment' Path >/dev/null || fail "a PATH appeared, /PATH not given"
expect_value 'HKCU\Software\torva-pc' Essai 'garder 42' "settings after the uninstall"
[ "$(fingerprint "$local_app_data/torva-pc")" = "$data_before" ] || fail "the uninstall changed %LOCALAPPDATA%\\torva-pc"
[ "$(ls -A "$folder")" = notes.txt ] || fail "the uninstall left more than the user's file: $(ls -A "$folder" | tr '\n' ' ')"
ok "uninstalled; no PATH ever made; settings value, panel's file, journal and the user's file kept"
echo "== installer: per account, for all users, upgrade and uninstall checked"
