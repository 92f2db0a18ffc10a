#!/usr/bin/env bash
# torva-cli.exe in a console window under Wine: test_consolewindow.exe gives it a console of its
# own and reads the console's characters back (the accents, no escape sequence, the progress on
# one line). Wine's console draws a window: the test runs under a virtual display, in a Wine
# session of its own (one begun without a display is ended first, and this one after).
#
#   scripts/windows/console-test.sh BUILD_DIR    (WINEPATH finds Qt's and MinGW's DLLs, as for
#                                                 the tests under Wine; TORVA_WINDOWS_QT sets it)
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../setup.sh"
torva_install_packages xvfb xauth
if ! declare -F torva_wine >/dev/null; then
    source "$here/wine-env.sh" "$build"
    torva_wine_init
fi
if [ -z "${WINEPATH:-}" ] && [ -n "${TORVA_WINDOWS_QT:-}" ]; then
    mingw_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
    export WINEPATH="Z:${TORVA_WINDOWS_QT}/bin;Z:${mingw_runtime};Z:/usr/x86_64-w64-mingw32/lib"
fi

result=$(mktemp)
trap '"$TORVA_WINESERVER" -k 2>/dev/null || true; rm -f "$result"' EXIT
"$TORVA_WINESERVER" -k 2>/dev/null || true
status=0
xvfb-run -a "$TORVA_WINE64" "$build/tests/test_consolewindow.exe" -o "Z:$result,txt" >/dev/null 2>&1 || status=$?
# The session with a display ends; the server is started again, quiet, for the programs that follow.
"$TORVA_WINESERVER" -k 2>/dev/null || true
torva_wine_server
cat "$result"
rm -f "$result"
trap - EXIT
if [ "$status" -ne 0 ]; then
    echo "console-test.sh: test_consolewindow.exe exited with $status" >&2
    exit 1
fi
