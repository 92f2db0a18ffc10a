#!/usr/bin/env bash
# The installer under Wine, as an installer of panels runs it: a silent install (/S) into a fresh
# Wine prefix, the installed programs run from their folder, the entry that Windows lists under
# "Applications et fonctionnalités", then a silent uninstall that leaves nothing behind.
#   scripts/windows/install-test.sh torva-pc-3.0-setup.exe
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 SETUP.EXE" >&2; exit 2; }
setup=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(mktemp -d)
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$prefix"' EXIT
# A prefix of its own: nothing of the build's Wine (its PATH, its DLLs) may help the programs.
unset WINEPATH
TORVA_WINEPREFIX=$prefix source "$here/wine-env.sh"
torva_wine_init

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

echo "== installer: $(basename "$setup"), $(du -k "$setup" | cut -f1) KiB"
torva_wine "$setup" /S || fail "the silent install exited with $?"
/usr/lib/wine/wineserver -w
folder="$WINEPREFIX/drive_c/Program Files/TORVA-PC"
for file in torva-pc.exe torva-cli.exe torva-report.exe Uninstall.exe Qt6Core.dll platforms/qwindows.dll translations/qtbase_fr.qm; do
    [ -f "$folder/$file" ] || fail "not installed: $file"
done
shortcut=$(find "$WINEPREFIX/drive_c" -path '*Start Menu*' -name 'TORVA-PC.lnk' | head -1)
[ -n "$shortcut" ] || fail "no Start-menu shortcut TORVA-PC"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TORVA-PC'
listed=$(torva_wine reg query "$key" /v DisplayName 2>/dev/null | tr -d '\r')
grep -q 'DisplayName.*TORVA-PC' <<<"$listed" || fail "no uninstall entry $key"
echo "  installed in Program Files\\TORVA-PC, shortcut $(basename "$shortcut"), uninstall entry present"

# The installed torva-cli runs with only what the installer put beside it.
help=$(cd "$folder" && torva_wine ./torva-cli.exe --help | tr -d '\r') || fail "torva-cli.exe --help exited with $?"
grep -q -- '--port PORT' <<<"$help" || fail "torva-cli.exe --help does not describe --port"
version=$(cd "$folder" && torva_wine ./torva-cli.exe --version | tr -d '\r')
echo "  torva-cli.exe --version: $version"
shown=$(cd "$prefix" && torva_wine "$folder/torva-cli.exe" receive --port sim -o 'C:\users\recu.dat' 2>&1 | tr -d '\r') ||
    fail "torva-cli.exe receive --port sim: $shown"
[ -f "$WINEPREFIX/drive_c/users/recu.dat" ] || fail "torva-cli.exe receive --port sim wrote no file"
echo "  torva-cli.exe receive --port sim -o C:\\users\\recu.dat: written"

# The installed torva-report writes the intervention report of that receive's journal entry.
entry=$(find "$WINEPREFIX/drive_c/users" -path '*torva-pc/journal/*' -name '*.json' | head -1)
[ -n "$entry" ] || fail "torva-cli.exe receive --port sim left no journal entry"
journal="Z:$(dirname "$(dirname "$entry")")"
shown=$(cd "$prefix" && torva_wine "$folder/torva-report.exe" "$journal" "$(basename "$entry" .json)" \
    -o 'C:\users\rapport.pdf' 2>&1 | tr -d '\r') || fail "torva-report.exe: $shown"
[ -s "$WINEPREFIX/drive_c/users/rapport.pdf" ] || fail "torva-report.exe wrote no report"
echo "  torva-report.exe $(basename "$entry" .json) -o C:\\users\\rapport.pdf: written"

# Uninstalled silently: the folder, the shortcut and the entry go. `_?=` keeps the uninstaller in
# place, so that it has finished when it returns.
torva_wine "$folder/Uninstall.exe" /S "_?=C:\\Program Files\\TORVA-PC" || fail "the uninstall exited with $?"
/usr/lib/wine/wineserver -w
[ ! -e "$folder/torva-pc.exe" ] || fail "torva-pc.exe left after the uninstall"
[ ! -e "$shortcut" ] || fail "the shortcut is left after the uninstall"
! torva_wine reg query "$key" >/dev/null 2>&1 || fail "the uninstall entry is left"
echo "== installer: installed, run and uninstalled"
