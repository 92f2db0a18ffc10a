#!/usr/bin/env bash
# A picture of torva-pc.exe's main window as Windows draws it, under Wine on a virtual screen:
#   scripts/windows/window-picture.sh TORVA-PC.EXE OUT.png
# Wine's virtual desktop draws the Windows title bar and frame; the picture is the desktop cut to
# what is not its background.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 TORVA-PC.EXE OUT.png" >&2; exit 2; }
exe=$(realpath "$1")
out=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../setup.sh"
torva_install_packages xvfb xauth imagemagick
if ! declare -F torva_wine >/dev/null; then
    source "$here/wine-env.sh" "$(dirname "$exe")/.."
    torva_wine_init
fi

frames=$(mktemp -d)
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1000x760x24 -fbdir "$frames" -nolisten tcp &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; "${TORVA_WINESERVER:-/usr/lib/wine/wineserver}" -k 2>/dev/null || true; rm -rf "$frames"' EXIT
sleep 1
DISPLAY=$display torva_wine explorer /desktop=TORVA,1000x760 "$exe" >/dev/null 2>&1 &

# The window is there once the screen has changed and then stayed the same for two seconds.
screen=$frames/Xvfb_screen0
previous= steady=0
for _ in $(seq 60); do
    sleep 1
    now=$(md5sum <"$screen")
    if [ "$now" = "$previous" ]; then
        steady=$((steady + 1))
        [ $steady -ge 2 ] && break
    else
        steady=0
    fi
    previous=$now
done
/usr/bin/convert "xwd:$screen" -trim +repage "$out"
/usr/bin/identify "$out"
