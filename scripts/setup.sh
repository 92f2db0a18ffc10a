# Shared by ./run and ./test: installs the Debian packages that are missing, then builds.
# Sourced, not run.

TORVA_PACKAGES=(build-essential cmake qt6-base-dev qt6-serialport-dev libgl-dev
                xvfb xauth fonts-dejavu-core poppler-utils)

# The layout check of every source (.clang-format).
TORVA_PACKAGES+=(clang-format)

# Qt's own French texts for the standard buttons and dialogs (qtbase_fr).
TORVA_PACKAGES+=(qt6-translations-l10n)

# The icon's PNG sizes (QtSvg), the desktop entry's check and the Debian package (dpkg-shlibdeps,
# which CPack reaches through `file`).
TORVA_PACKAGES+=(qt6-svg-dev desktop-file-utils dpkg-dev file)

torva_install_packages() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# torva_configure DIR [extra cmake arguments...]
torva_configure() {
    local dir=$1; shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
}

# torva_build DIR [extra cmake arguments...]
torva_build() {
    torva_configure "$@"
    cmake --build "$1" -j "$(nproc)"
}

# The program's version, as the project declares it ("3.0").
torva_version() {
    sed -n 's/^project(torva-pc VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt
}
