#!/usr/bin/env bash
# Runs every test of Vellicor on a Debian 12 machine: installs the missing Debian packages,
# builds, and runs each stage under ctest. Ends with one line per stage.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh

set -e
vellicor_install "${VELLICOR_TEST_PACKAGES[@]}"
vellicor_install --no-install-recommends "${VELLICOR_WINE_PACKAGES[@]}"
set +e

jobs=$(nproc)
declare -A result=()
stages=()

# stage <name> <commands...>: runs the commands, stops at the first failure, records the outcome.
stage() {
    local name=$1
    shift
    stages+=("$name")
    echo
    echo "==== $name ===="
    if "$@"; then result[$name]=passed; else result[$name]=FAILED; fi
}

linux_tests() {
    cmake --preset asan >/dev/null &&
        cmake --build --preset asan -j "$jobs" &&
        ctest --preset asan -j "$jobs"
}

# The Win32 code cross-built with mingw-w64 and its tests run under Wine, in a prefix of the build
# folder's own (made once, by the first test program). Wine's server of that prefix is stopped after.
windows_tests() {
    local status=0
    cmake --preset mingw >/dev/null &&
        cmake --build --preset mingw -j "$jobs" &&
        ctest --preset mingw -j "$jobs" || status=1
    [ -d build/mingw/wine-prefix ] && WINEPREFIX="$PWD/build/mingw/wine-prefix" wineserver -k 2>/dev/null
    return $status
}

fuzz_tests() {
    cmake --preset fuzz >/dev/null &&
        cmake --build --preset fuzz -j "$jobs" &&
        ctest --preset fuzz -j "$jobs"
}

# The Debian package of both programs, from the release build: the desktop entry and the metainfo validated,
# then the package installed with apt, its programs run, and removed again, leaving none of its files.
package_tests() {
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    local apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y -qq)
    vellicor_install "${VELLICOR_PACKAGE_PACKAGES[@]}" &&
        cmake --preset release >/dev/null &&
        cmake --build --preset release -j "$jobs" &&
        rm -f build/release/vellicor_*.deb &&
        (cd build/release && cpack -G DEB) &&
        desktop-file-validate app/linux/vellicor.desktop &&
        appstreamcli validate --no-net data/org.vellicor.vellicor.metainfo.xml || return 1
    local deb
    deb=$(ls build/release/vellicor_*.deb) || return 1
    # The dependencies come from the build: without them apt would install a program that cannot start.
    dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || {
        echo "The package does not depend on the Qt libraries the program links." >&2
        return 1
    }
    # A package left by an earlier run would make apt keep it instead of installing this one.
    if dpkg-query -W -f='${Status}' vellicor 2>/dev/null | grep -q 'install ok installed'; then
        "${apt[@]}" remove vellicor || return 1
    fi
    "${apt[@]}" install "./$deb" || return 1
    local files status=0 prefix
    files=$(dpkg-query -L vellicor)
    prefix=$(mktemp -d)
    cp ctl/tests/data/user.reg "$prefix/"
    # Output is captured, not piped: with pipefail a reader that stops early would fail the writer.
    local help versions gui missing
    help=$(/usr/bin/vellicorctl --help)
    versions=$(/usr/bin/vellicorctl --prefix "$prefix" versions)
    # Without a display the program says so and ends: it started, its libraries all found, the prefix taken.
    gui=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/vellicor --prefix "$prefix" 2>&1)
    missing=$(/usr/bin/vellicor --prefix "$prefix/missing" 2>&1)
    {
        [[ $help == "Usage: vellicorctl"* ]] &&
            [ "$versions" = "$(printf '12.0\tOutlook 2007\n16.0\tOutlook 16.0')" ] &&
            [[ $gui == *"needs a graphical desktop"* ]] &&
            [[ $missing == *"$prefix/missing does not exist"* ]] &&
            [ -f /usr/share/man/man1/vellicorctl.1 ] &&
            desktop-file-validate /usr/share/applications/vellicor.desktop &&
            appstreamcli validate --no-net /usr/share/metainfo/org.vellicor.vellicor.metainfo.xml
    } || { echo "The installed programs did not run as expected." >&2; status=1; }
    rm -rf "$prefix"
    "${apt[@]}" remove vellicor || status=1
    local file
    while IFS= read -r file; do
        if [ -f "$file" ] || [ -L "$file" ]; then
            echo "Left behind after removing the package: $file" >&2
            status=1
        fi
    done <<<"$files"
    # Its ldconfig call (for the help viewer's library) leaves dpkg a record of it until purged.
    "${apt[@]}" purge vellicor || status=1
    return $status
}

stage "Linux tests (ASan, UBSan)" linux_tests
stage "Windows build under Wine" windows_tests
stage "Fuzzers" fuzz_tests
stage "Debian package" package_tests

echo
echo "==== Summary ===="
status=0
for name in "${stages[@]}"; do
    printf '%-30s %s\n' "$name" "${result[$name]}"
    [ "${result[$name]}" = passed ] || status=1
done
exit $status
