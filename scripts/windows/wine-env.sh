# Wine settings for running the Windows build's programs and tests.  Sourced, not run:
#
#   . scripts/windows/wine-env.sh BUILD_DIR
#   torva_wine_init                 # creates the Wine prefix, once
#   torva_wine BUILD_DIR/some.exe   # runs a Windows program
#   torva_wine_wait                 # waits until the Wine session has ended
#
# The Wine prefix is private to the build: TORVA_WINEPREFIX when set, else BUILD_DIR/wineprefix.
# Mono and Gecko are not installed into it (the programs need neither) and Wine stays silent.
# Debian's wine64 has no 32-bit half: creating a prefix prints a harmless error about
# syswow64\rundll32.exe.
#
# Programs that show windows need an X display (xvfb-run).  Wine's desktop process lives as long
# as the Wine session that started it and keeps that session's display: a program showing a
# window under xvfb-run while a session begun without a display is still alive never exits.
# torva_wine_wait (wineserver -w) ends the running session first.
# shellcheck shell=bash

if ! (return 0 2>/dev/null); then
    echo "wine-env.sh sets up the calling shell: source it (. $0 BUILD_DIR)" >&2
    exit 2
fi

if [ -n "${TORVA_WINEPREFIX:-}" ]; then
    WINEPREFIX=$(realpath -m -- "$TORVA_WINEPREFIX")
elif [ -n "${1:-}" ]; then
    WINEPREFIX=$(realpath -m -- "$1/wineprefix")
else
    echo "wine-env.sh: give the build folder (. wine-env.sh BUILD_DIR) or set TORVA_WINEPREFIX" >&2
    return 1
fi
export WINEPREFIX
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all

TORVA_WINE64=/usr/lib/wine/wine64
TORVA_WINESERVER=/usr/lib/wine/wineserver

torva_wine() {
    "$TORVA_WINE64" "$@"
}

# Creates the prefix and waits until Wine has finished setting it up; does nothing when that was
# done already.  The output is only shown when it fails.
torva_wine_init() {
    local done_mark=$WINEPREFIX/.torva-initialised log status=0
    if [ -f "$done_mark" ]; then
        torva_wine_server
        return 0
    fi
    mkdir -p "$WINEPREFIX" || return 1
    log=$(mktemp) || return 1
    "$TORVA_WINE64" wineboot -i >"$log" 2>&1 || status=$?
    "$TORVA_WINESERVER" -w >>"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "torva_wine_init: could not set up the Wine prefix $WINEPREFIX:" >&2
        cat "$log" >&2
        rm -f "$log"
        return 1
    fi
    rm -f "$log"
    touch "$done_mark"
    torva_wine_server
}

# Starts the Wine server of the prefix with its output thrown away, unless it runs already:
# started by the first Wine program instead, it would write into that program's standard error,
# and a server told to hang up dumps its whole state there.
torva_wine_server() {
    "$TORVA_WINESERVER" -p5 </dev/null >/dev/null 2>&1 || true
}

# Waits until every program of the Wine session has ended (and Wine with them).
torva_wine_wait() {
    "$TORVA_WINESERVER" -w
}

# The Wine account's local application data (%LOCALAPPDATA%) as a Linux path: the programs keep
# the built-in emulated panel and the journal there, in torva-pc\.
torva_wine_local_app_data() {
    local windows_path
    windows_path=$("$TORVA_WINE64" cmd.exe /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
    "$TORVA_WINE64" winepath.exe -u "$windows_path" 2>/dev/null | tr -d '\r'
}

# Gives the programs a fresh start in the prefix: no built-in panel's state, no journal, no
# settings (HKEY_CURRENT_USER\Software\torva-pc). Only for the build's own prefix.
torva_wine_forget_programs() {
    local local_app_data
    local_app_data=$(torva_wine_local_app_data)
    [ -d "$local_app_data" ] || { echo "no %LOCALAPPDATA% in the Wine prefix $WINEPREFIX" >&2; return 1; }
    rm -rf "$local_app_data/torva-pc"
    "$TORVA_WINE64" reg.exe delete 'HKCU\Software\torva-pc' /f >/dev/null 2>&1 || true
}
