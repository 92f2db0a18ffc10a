#!/usr/bin/env bash
# The windows as Windows draws them at each scaling, under Wine: test_scaling.exe on Wine's
# virtual desktop, once per dots-per-inch setting (LogPixels 96, 120, 144, 192 for 100 to 200 %)
# on a screen with room for the whole main window, then on a 1366x768 screen at 125 % and a
# 1920x1080 one at 200 %, where the main window must fit the screen and scroll. Each run must
# pass; the windows' pictures go to OUT_DIR/windows-scaling-PERCENT.png (the four windows side by
# side) and OUT_DIR/windows-scaling-125-1366x768.png.
#   scripts/windows/scaling-test.sh BUILD_DIR OUT_DIR
# BUILD_DIR is the Windows build (tests/test_scaling.exe); WINEPATH must lead to Qt's DLLs.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 BUILD_DIR OUT_DIR" >&2; exit 2; }
build=$(realpath "$1")
out=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
exe=$build/tests/test_scaling.exe
[ -f "$exe" ] || { echo "no $exe" >&2; exit 1; }
mkdir -p "$out"
work=$(mktemp -d)
xvfb=
cleanup() {
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    "${TORVA_WINESERVER:-/usr/lib/wine/wineserver}" -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# A prefix of its own: the dots per inch are the prefix's, and the build's prefix stays at 96.
TORVA_WINEPREFIX=$work/prefix source "$here/wine-env.sh"
torva_wine_init
# Every program on Wine's virtual desktop, whose size each run sets: the screen Windows would have.
torva_wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 3900x2200x24 -nolisten tcp &
xvfb=$!
sleep 1

failed=0
# run PERCENT WIDTHxHEIGHT FITS NAME
run() {
    local percent=$1 screen=$2 fits=$3 name=$4 dpi=$(($1 * 96 / 100)) result pictures
    result=$work/$name.txt
    pictures=$work/$name
    "$TORVA_WINESERVER" -w
    torva_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
    torva_wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$screen" /f >/dev/null
    "$TORVA_WINESERVER" -w
    # Wine does not hand QT_QPA_PLATFORM to the program: the platform is named on its command line.
    (cd "$build/tests" && DISPLAY=$display TORVA_SCREEN_FITS=$fits TORVA_SCALING_PICTURES="Z:$pictures" \
        timeout 300 "$TORVA_WINE64" ./test_scaling.exe -platform windows -o "Z:$result,txt" >/dev/null 2>&1) || true
    "$TORVA_WINESERVER" -w
    if grep -q '^Totals: .* 0 failed' "$result" 2>/dev/null; then
        echo "  $percent % on $screen: $(grep '^Totals' "$result" | cut -d, -f1-3)"
    else
        echo "FAIL: $percent % on $screen:" >&2
        grep -a -v '^QCRITICAL.*EnableNonClientDpiScaling' "$result" >&2 || echo "  (no result file)" >&2
        failed=1
    fi
}

echo "== the windows at each scaling, under Wine"
for percent in 100 125 150 200; do
    run "$percent" 3840x2160 whole "scaling-$percent"
    if [ -f "$work/scaling-$percent/main.png" ]; then
        /usr/bin/convert "$work/scaling-$percent/main.png" \
            \( "$work/scaling-$percent/diagnostic.png" "$work/scaling-$percent/port.png" \
               "$work/scaling-$percent/comparison.png" -background white -gravity northwest -splice 0x8 -append \) \
            -background white -gravity northwest -splice 8x0 +append "$out/windows-scaling-$percent.png"
    fi
done
run 125 1366x768 scrolls "small-125"
[ ! -f "$work/small-125/main-scrolled.png" ] ||
    cp "$work/small-125/main-scrolled.png" "$out/windows-scaling-125-1366x768.png"
run 200 1920x1080 scrolls "small-200"
[ "$failed" -eq 0 ] || exit 1
echo "== the windows at each scaling: every check passed (pictures in $out)"
