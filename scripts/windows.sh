#!/usr/bin/env bash
# The Windows build: installs what is missing (Debian packages), builds Qt for Windows once into a
# cache, cross-builds the programs and their tests with MinGW-w64, runs the tests under Wine,
# checks the Windows serial port against torva-ecs-sim over a Wine COM port and the journal the
# programs keep in %LOCALAPPDATA%, and writes the installer (build-windows/torva-pc-3.0-setup.exe)
# and a zip of the same folder.
#
#   scripts/windows.sh              everything
#   TORVA_WINDOWS_QT=DIR scripts/windows.sh   with a Qt for Windows already built (its prefix)
#   scripts/windows.sh --picture    also redraws docs/windows-main-window.png under Wine, and
#                                   copies the pictures of each scaling to docs/
#   scripts/windows.sh --if-cached  does nothing when Qt for Windows is not built yet (CI)
#
# The Qt cache is ~/.cache/torva/qt-6.4.2-mingw64-KEY, KEY made from the toolchain file and the
# script that builds Qt (its version and configure line), so that a change of either builds a new
# one.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh

picture=false
if_cached=false
for argument in "$@"; do
    case $argument in
    --picture) picture=true ;;
    --if-cached) if_cached=true ;;
    *) echo "usage: scripts/windows.sh [--picture] [--if-cached]" >&2; exit 2 ;;
    esac
done

# 1. Qt for Windows: given, cached, or built now.
if [ -n "${TORVA_WINDOWS_QT:-}" ]; then
    qt=$TORVA_WINDOWS_QT
    [ -x "$qt/bin/qt-cmake" ] || { echo "TORVA_WINDOWS_QT=$qt holds no Qt for Windows (bin/qt-cmake)" >&2; exit 1; }
else
    key=$(cat scripts/windows/mingw-w64-x86_64.cmake scripts/windows/build-qt.sh | sha256sum | cut -c1-12)
    qt=${TORVA_CACHE:-$HOME/.cache/torva}/qt-6.4.2-mingw64-$key
    if [ ! -x "$qt/bin/qt-cmake" ] && $if_cached; then
        echo "No Qt for Windows in $qt: the Windows build is skipped (scripts/windows.sh builds it)."
        exit 0
    fi
fi

# jq reads the journal's entries in the Wine checks; imagemagick puts the scalings' pictures
# together; exiftool reads the programs' version information and xwininfo (x11-utils) the windows
# torva-pc.exe shows, in the installer's.
TORVA_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 ninja-build wine64 nsis zip
                        xvfb xauth qt6-translations-l10n jq imagemagick libimage-exiftool-perl x11-utils)
torva_install_packages "${TORVA_PACKAGES[@]}" "${TORVA_WINDOWS_PACKAGES[@]}"

started=$SECONDS
phase_start=$SECONDS
phases=()
phase_done() {
    phases+=("$(printf '%-34s %4d s' "$1" $((SECONDS - phase_start)))")
    phase_start=$SECONDS
}

if [ ! -x "$qt/bin/qt-cmake" ]; then
    echo "Building Qt 6.4.2 for Windows into $qt (about 35 minutes on 2 cores, once)"
    scripts/windows/build-qt.sh "$qt"
fi
echo "Qt for Windows: $qt"
phase_done "Qt for Windows"

# 2. What the Windows build takes from a Linux build: the icon's pictures (rendered from its SVG by
# a Linux tool), and torva-ecs-sim and torva-cli for the COM port test.
torva_configure build
cmake --build build -j "$(nproc)" --target torva-icons torva-ecs-sim torva-cli
phase_done "Linux tools"

# 3. The cross-build, programs and tests.
"$qt/bin/qt-cmake" -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORVA_WARNINGS_AS_ERRORS=ON \
    -DTORVA_ICON_DIR="$PWD/build/packaging/icons" -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/lib/wine/wine64 >/dev/null
cmake --build build-windows -j "$(nproc)"
phase_done "Cross-build"

# 4. The tests under Wine, finding Qt's and MinGW's DLLs where they are.
source scripts/windows/wine-env.sh "$PWD/build-windows"
torva_wine_init
mingw_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
export WINEPATH="Z:${qt}/bin;Z:${mingw_runtime};Z:/usr/x86_64-w64-mingw32/lib"
(cd build-windows && QT_QPA_PLATFORM=offscreen ctest --output-on-failure)
# The windows on Wine's desktop at 100, 125, 150 and 200 %, and on a 1366x768 screen at 125 %.
scripts/windows/scaling-test.sh build-windows build-windows/scaling
scripts/windows/console-test.sh build-windows # torva-cli in a console window, read back
phase_done "Tests under Wine"

# 5. The installed folder: the programs, the DLLs they import, the plugins, the French texts.
stage=build-windows/stage
rm -rf "$stage"
scripts/windows/deploy.sh "$stage" "$qt" build-windows/app/torva-pc.exe build-windows/app/torva-cli.exe \
    build-windows/app/torva-report.exe
x86_64-w64-mingw32-strip --strip-unneeded "$stage"/*.exe
scripts/windows/package.sh "$stage" build-windows "$(torva_version)" "$PWD/build/packaging/icons/torva-pc.ico"
phase_done "Installer and zip"

# 6. The staged programs against torva-ecs-sim over a Wine COM port, their journal in
# %LOCALAPPDATA%, and the installer.
unset WINEPATH # the programs must run from their own folder
scripts/windows/com-port-test.sh "$stage/torva-cli.exe" build/app/torva-cli build/app/torva-ecs-sim
scripts/windows/journal-test.sh "$stage/torva-cli.exe" build/app/torva-cli
scripts/windows/install-test.sh "build-windows/torva-pc-$(torva_version)-setup.exe" "$stage" \
    "$PWD/build/packaging/icons/torva-pc.ico"
phase_done "COM port, journal and installer"

if $picture; then
    scripts/windows/window-picture.sh "$stage/torva-pc.exe" docs/windows-main-window.png
    cp build-windows/scaling/windows-scaling-*.png docs/
    phase_done "Picture of the window"
fi

echo
echo "== Windows build done in $((SECONDS - started)) s"
printf '  %s\n' "${phases[@]}"
ls -l "build-windows/torva-pc-$(torva_version)-setup.exe" "build-windows/torva-pc-$(torva_version)-windows.zip"
