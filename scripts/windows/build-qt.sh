#!/usr/bin/env bash
# Builds Qt 6.4.2 (qtbase only: Core, Gui, Widgets, PrintSupport, Test and the Windows platform
# plugin) for 64-bit Windows with Debian's MinGW-w64, from Debian's own qt6-base source package,
# and installs it into PREFIX.
#
#   scripts/windows/build-qt.sh [--configure-only] PREFIX
#
# The sources and the build tree live in a work folder, QT_BUILD_WORK (default: PREFIX.work),
# removed once the build succeeded and kept after a failure (and after --configure-only, which
# stops once the build folder is configured).  Qt is installed into PREFIX.tmp and renamed to
# PREFIX at the very end, so a half-built Qt never looks like a finished one.  The installed
# prefix can be moved: qt-cmake and the Qt toolchain file find everything relative to themselves.
#
# The source package is fetched through a private apt configuration kept in the work folder; the
# system's own sources, lists and caches are left alone.  Takes about 35 minutes on two cores.
set -euo pipefail

qt_version=6.4.2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
toolchain=$here/mingw-w64-x86_64.cmake
keyring=/usr/share/keyrings/debian-archive-keyring.gpg

usage() {
    echo "usage: $0 [--configure-only] PREFIX" >&2
    exit 2
}

configure_only=0
if [ "${1:-}" = --configure-only ]; then
    configure_only=1
    shift
fi
if [ $# -ne 1 ] || [ -z "$1" ]; then
    usage
fi
prefix=$(realpath -m -- "$1")
work=$(realpath -m -- "${QT_BUILD_WORK:-$prefix.work}")
staging=$prefix.tmp

# Qt's configure script breaks on blanks in its own path.
for path in "$prefix" "$work"; do
    case $path in
        *[[:space:]]*) echo "$0: $path: Qt cannot be built in a path holding blanks" >&2; exit 1 ;;
    esac
done
if [ -e "$prefix" ]; then
    echo "$0: $prefix already exists; remove it to build Qt again" >&2
    exit 1
fi
[ -f "$toolchain" ] || { echo "$0: missing $toolchain" >&2; exit 1; }

started=$SECONDS
elapsed() {
    local s=$((SECONDS - started))
    printf '%dh%02dm%02ds' $((s / 3600)) $((s % 3600 / 60)) $((s % 60))
}

# --- Build dependencies (Debian packages) ----------------------------------------------------
# shellcheck source-path=SCRIPTDIR source=../setup.sh disable=SC1091
. "$repo/scripts/setup.sh"
torva_install_packages dpkg-dev debian-archive-keyring perl cmake ninja-build \
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libwine-dev \
    qt6-base-dev qt6-base-dev-tools

# --- Private apt configuration: the machine's own Debian entries, as deb-src ------------------
# Only the entries of this release are kept (its codename and codename-updates/-security...), so
# third-party repositories never meet the Debian keyring.
codename=$(sed -n 's/^VERSION_CODENAME=//p' /etc/os-release | tr -d '"')
[ -n "$codename" ] || { echo "$0: no VERSION_CODENAME in /etc/os-release" >&2; exit 1; }

deb_src_entries() {
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        # deb822 stanzas; continuation lines (starting with blanks) extend the previous field.
        awk -v codename="$codename" -v keyring="$keyring" '
            function flush(  n, i, s, keep) {
                if (tolower(f["enabled"]) != "no" && f["types"] ~ /(^|[ \t])deb([ \t]|$)/ \
                    && f["uris"] != "" && f["suites"] != "") {
                    n = split(f["suites"], s, /[ \t]+/)
                    keep = ""
                    for (i = 1; i <= n; i++)
                        if (s[i] == codename || index(s[i], codename "-") == 1 \
                            || index(s[i], codename "/") == 1)
                            keep = keep " " s[i]
                    if (keep != "")
                        printf "Types: deb-src\nURIs: %s\nSuites:%s\nComponents: %s\nSigned-By: %s\n\n",
                               f["uris"], keep, f["components"], keyring
                }
                delete f
                last = ""
            }
            /^[ \t]*#/ { next }
            /^[ \t]*$/ { flush(); next }
            /^[ \t]/   { if (last != "") { sub(/^[ \t]+/, ""); f[last] = f[last] " " $0 }; next }
            {
                i = index($0, ":")
                if (i == 0) next
                last = tolower(substr($0, 1, i - 1))
                v = substr($0, i + 1)
                gsub(/^[ \t]+|[ \t]+$/, "", v)
                f[last] = v
            }
            END { flush() }
        ' "$f"
    done
    if [ -f /etc/apt/sources.list ]; then
        # One-line entries: deb [options] URI SUITE COMPONENT...
        awk -v codename="$codename" -v keyring="$keyring" '
            $1 != "deb" { next }
            {
                i = 2
                if ($2 ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
                uri = $i; suite = $(i + 1); comps = ""
                for (j = i + 2; j <= NF && $j !~ /^#/; j++) comps = comps " " $j
                if (suite == codename || index(suite, codename "-") == 1 \
                    || index(suite, codename "/") == 1)
                    printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents:%s\nSigned-By: %s\n\n",
                           uri, suite, comps, keyring
            }
        ' /etc/apt/sources.list
    fi
}

mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/src"
deb_src_entries > "$work/apt/deb-src.sources"
if ! grep -q '^Types: deb-src' "$work/apt/deb-src.sources"; then
    echo "$0: no '$codename' deb entry found in /etc/apt/sources.list{,.d/*.sources}" >&2
    exit 1
fi
apt_private=(-o "Dir::Etc::SourceList=$work/apt/deb-src.sources"
             -o Dir::Etc::SourceParts=/dev/null
             -o "Dir::State::Lists=$work/apt/lists"
             -o "Dir::Cache=$work/apt/cache"
             -o APT::Sandbox::User=root)

echo "== Fetching Debian's qt6-base source"
apt-get "${apt_private[@]}" -qq update
(cd "$work/src" && apt-get "${apt_private[@]}" -q source --download-only qt6-base)

# Several versions may sit in the work folder after an upgrade: take the newest.
dsc=$(find "$work/src" -maxdepth 1 -name 'qt6-base_*.dsc' | sort -V | tail -n 1)
[ -n "$dsc" ] || { echo "$0: apt-get source left no qt6-base .dsc" >&2; exit 1; }
version=$(sed -n 's/^Version: *//p' "$dsc" | head -n 1)
upstream=${version#*:}
upstream=${upstream%-*}
upstream=${upstream%%+*}
if [ "$upstream" != "$qt_version" ]; then
    echo "$0: Debian's qt6-base is $version, this script builds Qt $qt_version" >&2
    exit 1
fi
echo "qt6-base $version"

src=$work/src/qtbase
rm -rf "$src"
# apt-get has checked the files against the signed Sources index already.
dpkg-source --no-check -x "$dsc" "$src" >/dev/null

# --- Wintab headers ----------------------------------------------------------------------------
# Debian's source drops src/3rdparty/wintab; the Windows tablet support only needs the two
# headers, which Wine ships (same API, LGPL).  Wine's wintab.h declares the A/W neutral names
# (LOGCONTEXT, LPLOGCONTEXT...) through DECL_WINELIB_TYPE_AW from Wine's own <winnt.h>, and Qt
# uses those names with the W entry points it resolves (WTOpenW, WTInfoW, WTGetW): the wrapper
# maps them to the W types.  Qt also spells the calling convention API, as the original header.
wine_headers=/usr/include/wine/wine/windows
wintab=$src/src/3rdparty/wintab
mkdir -p "$wintab"
cp "$wine_headers/wintab.h" "$wintab/wine-wintab.h"
cp "$wine_headers/pktdef.h" "$wintab/wine-pktdef.h"
cat > "$wintab/wintab.h" <<'EOF'
/* Wine's wintab.h, with the neutral type names bound to the W (Unicode) types. */
#ifndef TORVA_WINTAB_WRAPPER_H
#define TORVA_WINTAB_WRAPPER_H
#include <windows.h>
#ifndef DECL_WINELIB_TYPE_AW
#define DECL_WINELIB_TYPE_AW(type) typedef type##W type;
#endif
#ifndef API
#define API WINAPI
#endif
#include "wine-wintab.h"
#endif
EOF
cat > "$wintab/pktdef.h" <<'EOF'
/* Wine's pktdef.h; included after PACKETDATA/PACKETMODE are defined, like the original. */
#include "wintab.h"
#include "wine-pktdef.h"
EOF

# --- Configure ---------------------------------------------------------------------------------
build=$work/build
rm -rf "$build"
mkdir -p "$build"
echo "== Configuring Qt $qt_version for Windows in $build"
(
    cd "$build"
    "$src/configure" -prefix "$prefix" -release -shared -qt-host-path /usr \
        -nomake examples -nomake tests -no-opengl -no-dbus \
        -no-feature-sql -no-feature-network -no-feature-concurrent -no-feature-xml \
        -no-feature-vulkan -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-harfbuzz -qt-freetype \
        -qt-doubleconversion -no-feature-icu \
        -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
)
if [ "$configure_only" -eq 1 ]; then
    echo "Configured in $(elapsed); build folder: $build"
    exit 0
fi

# --- Build and install -------------------------------------------------------------------------
echo "== Building"
cmake --build "$build" --parallel "$(nproc)"

# The install is staged under DESTDIR and then moved to PREFIX.tmp: the files keep pointing at
# PREFIX (configured above), which is where they end up after the final rename.
rm -rf "$staging" "$work/destdir"
echo "== Installing"
DESTDIR=$work/destdir cmake --install "$build" >/dev/null
mv "$work/destdir$prefix" "$staging"
rm -rf "$work/destdir"

find "$staging" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} +

# Qt's toolchain file chain-loads the MinGW one by the absolute path given at configure time.
# Keep a copy beside it and refer to it relative to the Qt toolchain file, so that the prefix
# works wherever it is moved.
qt_cmake_dir=$staging/lib/cmake/Qt6
cp "$toolchain" "$qt_cmake_dir/mingw-w64-x86_64.cmake"
toolchain_re=$(printf '%s' "$toolchain" | sed 's/[][\\.*^$|]/\\&/g')
sed -i "s|\"$toolchain_re\"|\"\${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake\"|" \
    "$qt_cmake_dir/qt.toolchain.cmake"
# shellcheck disable=SC2016
if ! grep -qF '"${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake"' \
        "$qt_cmake_dir/qt.toolchain.cmake"; then
    echo "$0: could not make $qt_cmake_dir/qt.toolchain.cmake load its own copy of" \
         "mingw-w64-x86_64.cmake" >&2
    exit 1
fi

mv "$staging" "$prefix"
rm -rf "$work"
echo "Qt $qt_version for Windows installed in $prefix in $(elapsed)"
