#!/usr/bin/env bash
# Packs a deployed Windows folder (scripts/windows/deploy.sh) two ways:
#
#   scripts/windows/package.sh STAGE_DIR OUT_DIR VERSION ICON
#
#   OUT_DIR/torva-pc-VERSION-setup.exe    the installer (packaging/windows/torva-pc.nsi)
#   OUT_DIR/torva-pc-VERSION-windows.zip  the same files under TORVA-PC/, for those who would
#                                         rather install nothing
#
# ICON is the installer's and uninstaller's icon (.ico).
set -euo pipefail

die() {
    echo "package.sh: $*" >&2
    exit 1
}

if [ $# -ne 4 ]; then
    echo "usage: $0 STAGE_DIR OUT_DIR VERSION ICON" >&2
    exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
nsi=$(realpath "$here/../../packaging/windows/torva-pc.nsi")
stage=$(realpath -m -- "$1")
out=$(realpath -m -- "$2")
version=$3
icon=$(realpath -m -- "$4")

command -v makensis >/dev/null || die "makensis not found (Debian package nsis)"
command -v zip >/dev/null || die "zip not found (Debian package zip)"
[ -f "$stage/torva-pc.exe" ] || die "$stage/torva-pc.exe: missing (deploy the build first)"
[ -f "$icon" ] || die "$icon: no such icon"
[[ $version =~ ^[0-9]+(\.[0-9]+){0,3}$ ]] || die "$version: a version is one to four numbers, like 3.0"

mkdir -p "$out"
setup=$out/torva-pc-$version-setup.exe
archive=$out/torva-pc-$version-windows.zip

rm -f "$setup"
makensis -V2 -NOCD "-DSTAGE_DIR=$stage" "-DOUT_FILE=$setup" "-DVERSION=$version" "-DICON=$icon" \
    "$nsi"

# zip adds to an archive already there: start from none.
rm -f "$archive"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp -a "$stage" "$tmp/TORVA-PC"
(cd "$tmp" && zip -q -r -X -9 "$archive" TORVA-PC)

for f in "$setup" "$archive"; do
    printf '%s: %s (%d bytes)\n' "$f" "$(numfmt --to=iec --suffix=B "$(stat -c %s "$f")")" \
        "$(stat -c %s "$f")"
done
