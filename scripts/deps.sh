# Debian packages the build needs, and a function that installs the missing ones.
# Sourced by run.sh and test.sh.

# Building and running the program.
VELLICOR_BUILD_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev zlib1g-dev libchm-dev fp-utils
    fonts-dejavu-core
    # The themes' UI fonts where Tahoma and Segoe UI are missing: metric-fitting fallbacks.
    fonts-liberation2 fonts-dejavu-extra
)
# Running every test: unit and GUI tests under sanitizers, fuzzers, benchmarks' build.
VELLICOR_TEST_PACKAGES=(
    "${VELLICOR_BUILD_PACKAGES[@]}"
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev clang-format
    locales
    # GUI tests on an X server of their own under a real window manager.
    xvfb openbox x11-utils
)
# Building and checking the Debian package: dpkg-shlibdeps, the desktop entry's and the metainfo's validators.
VELLICOR_PACKAGE_PACKAGES=(dpkg-dev desktop-file-utils appstream)
# Windows cross-build and Wine, without recommends (no 32-bit Wine, no desktop bits): the compiler and
# zlib for Windows, the source package of Qt (apt-get source), Wine with its fonts, the MSI builder,
# and an X server for the program's windows.
VELLICOR_WINE_PACKAGES=(
    g++-mingw-w64-x86-64-posix libz-mingw-w64-dev dpkg-dev xz-utils
    wine64 wine fonts-wine
    wixl
    xvfb
)

vellicor_missing_packages() {
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            printf '%s\n' "$pkg"
        fi
    done
}

# vellicor_install [--no-install-recommends] <packages...>
vellicor_install() {
    local flags=()
    if [ "${1:-}" = "--no-install-recommends" ]; then
        flags+=("$1")
        shift
    fi
    local missing
    mapfile -t missing < <(vellicor_missing_packages "$@")
    [ "${#missing[@]}" -eq 0 ] && return 0
    echo "Installing Debian packages: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${flags[@]}" "${missing[@]}"
}
