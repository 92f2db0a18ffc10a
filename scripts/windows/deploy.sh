#!/usr/bin/env bash
# Gathers what the Windows build needs to run into one folder:
#
#   scripts/windows/deploy.sh STAGE_DIR QT_PREFIX EXE...
#
# Copies each EXE into STAGE_DIR, then every DLL it imports, recursively, found in QT_PREFIX/bin,
# in MinGW-w64's runtime (libstdc++, libgcc_s, libwinpthread) or beside the EXE; the Qt plugins
# (platforms/qwindows, styles/qwindowsvistastyle, imageformats/qico, qgif, qjpeg) into the
# matching subfolders of STAGE_DIR, with their own imports; and Qt's French texts (qtbase_fr.qm,
# from Debian's qt6-translations-l10n) into STAGE_DIR/translations.  Windows' own DLLs are left
# out; any other import found nowhere is an error.  File names are matched without regard to
# case, as Windows does.  The copied DLLs and plugins are stripped (Debian's MinGW-w64 runtime
# carries its debugging information: libstdc++-6.dll shrinks from 23 MB to 2 MB); the EXEs are
# copied as they are.
set -euo pipefail

objdump=x86_64-w64-mingw32-objdump
strip=x86_64-w64-mingw32-strip
qt_translations=/usr/share/qt6/translations
plugins=(platforms/qwindows.dll styles/qwindowsvistastyle.dll
         imageformats/qico.dll imageformats/qgif.dll imageformats/qjpeg.dll)
translations=(qtbase_fr.qm)

die() {
    echo "deploy.sh: $*" >&2
    exit 1
}

if [ $# -lt 3 ]; then
    echo "usage: $0 STAGE_DIR QT_PREFIX EXE..." >&2
    exit 2
fi
stage=$1
qt=$2
shift 2

for tool in "$objdump" "$strip"; do
    command -v "$tool" >/dev/null || die "$tool not found (Debian package binutils-mingw-w64-x86-64)"
done
[ -d "$qt/bin" ] || die "$qt/bin: no such folder (QT_PREFIX should be a Qt for Windows)"
for exe in "$@"; do
    [ -f "$exe" ] || die "$exe: no such file"
done

# Windows' own DLLs, and the API sets it resolves itself (api-ms-win-*, ext-ms-*).
is_system_dll() {
    case $1 in
        api-ms-win-*.dll | ext-ms-*.dll) return 0 ;;
        kernel32.dll | kernelbase.dll | ntdll.dll | user32.dll | gdi32.dll | gdiplus.dll \
        | advapi32.dll | shell32.dll | ole32.dll | oleaut32.dll | ws2_32.dll | winmm.dll \
        | imm32.dll | uxtheme.dll | dwmapi.dll | version.dll | netapi32.dll | userenv.dll \
        | shlwapi.dll | comdlg32.dll | comctl32.dll | winspool.drv | msvcrt.dll | ucrtbase.dll \
        | d3d9.dll | d3d11.dll | d3d12.dll | d3dcompiler_47.dll | dxgi.dll | dwrite.dll \
        | d2d1.dll | setupapi.dll | cfgmgr32.dll | mpr.dll | authz.dll | crypt32.dll \
        | secur32.dll | wtsapi32.dll | rpcrt4.dll | shcore.dll | iphlpapi.dll | dnsapi.dll \
        | bcrypt.dll | ncrypt.dll | opengl32.dll | hid.dll | powrprof.dll | propsys.dll \
        | msimg32.dll | usp10.dll | winhttp.dll | wininet.dll | wldap32.dll | psapi.dll \
        | dbghelp.dll | oleacc.dll | uiautomationcore.dll | dcomp.dll | mf.dll | mfplat.dll \
        | mfreadwrite.dll | ksuser.dll | avrt.dll | winusb.dll | bluetoothapis.dll) return 0 ;;
    esac
    return 1
}

# Where the imports are looked for, in this order: Qt, MinGW-w64's runtime, the EXEs' folders.
gcc_runtime=$(dirname "$(x86_64-w64-mingw32-gcc-posix -print-libgcc-file-name 2>/dev/null \
              || echo /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc.a)")
search_dirs=("$qt/bin" "$gcc_runtime" /usr/x86_64-w64-mingw32/lib)
for exe in "$@"; do
    search_dirs+=("$(dirname "$exe")")
done

declare -A available=()   # lower-case DLL name -> path of the first one found
for dir in "${search_dirs[@]}"; do
    [ -d "$dir" ] || continue
    while IFS= read -r -d '' path; do
        name=$(basename "$path")
        name=${name,,}
        [ -n "${available[$name]:-}" ] || available[$name]=$path
    done < <(find "$dir" -maxdepth 1 -type f -iname '*.dll' -print0)
done

declare -A staged=()      # lower-case names of the DLLs already in STAGE_DIR
pending=()                # staged files whose imports are still to be resolved

imports_of() {
    local dump
    dump=$("$objdump" -p "$1") || die "$1: not a Windows executable"
    sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$dump" | tr -d '\r'
}

mkdir -p "$stage"
for exe in "$@"; do
    cp -f "$exe" "$stage/"
    name=$(basename "$exe")
    staged[${name,,}]=1
    pending+=("$stage/$name")
done
for plugin in "${plugins[@]}"; do
    [ -f "$qt/plugins/$plugin" ] || die "$qt/plugins/$plugin: missing Qt plugin"
    mkdir -p "$stage/$(dirname "$plugin")"
    "$strip" --strip-unneeded -o "$stage/$plugin" "$qt/plugins/$plugin"
    pending+=("$stage/$plugin")
done

count=0
while [ ${#pending[@]} -gt 0 ]; do
    file=${pending[0]}
    pending=("${pending[@]:1}")
    imports=$(imports_of "$file")
    while IFS= read -r import; do
        [ -n "$import" ] || continue
        key=${import,,}
        [ -z "${staged[$key]:-}" ] || continue
        if [ -n "${available[$key]:-}" ]; then
            "$strip" --strip-unneeded -o "$stage/$(basename "${available[$key]}")" \
                "${available[$key]}"
            staged[$key]=1
            count=$((count + 1))
            pending+=("$stage/$(basename "${available[$key]}")")
        elif ! is_system_dll "$key"; then
            die "$(basename "$file") imports $import, found neither in ${search_dirs[*]}" \
                "nor among Windows' own DLLs"
        fi
    done <<<"$imports"
done

mkdir -p "$stage/translations"
for qm in "${translations[@]}"; do
    [ -f "$qt_translations/$qm" ] \
        || die "$qt_translations/$qm: missing (Debian package qt6-translations-l10n)"
    cp -f "$qt_translations/$qm" "$stage/translations/"
done

echo "Staged in $stage: $# program(s), $count DLL(s), ${#plugins[@]} plugin(s)," \
     "${#translations[@]} translation(s)"
