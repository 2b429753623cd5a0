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
declare -A result=() seconds=()
stages=()

# stage <name> <commands...>: runs the commands, stops at the first failure, records the outcome and time.
stage() {
    local name=$1 start=$SECONDS
    shift
    stages+=("$name")
    echo
    echo "==== $name ===="
    if "$@"; then result[$name]=passed; else result[$name]=FAILED; fi
    seconds[$name]=$((SECONDS - start))
}

# Windows programs show real windows under Wine: on an Xvfb of our own (not on the desktop, where
# they would take the focus), stopped at the end.
xvfb_pid=
start_xvfb() {
    [ -n "$xvfb_pid" ] && return 0
    local n
    for n in $(seq 90 120); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
    done
    Xvfb ":$n" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    export DISPLAY=":$n"
}
stop_xvfb() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    xvfb_pid=
}
trap stop_xvfb EXIT

linux_tests() {
    cmake --preset asan >/dev/null &&
        cmake --build --preset asan -j "$jobs" &&
        ctest --preset asan -j "$jobs"
}

# Qt 6 for Windows, cross-built from Debian's source once into the user's cache (up to an hour on
# two cores) and reused after. Its folder goes to the mingw preset.
qt_windows() {
    local log=build/qt-windows.log prefix
    mkdir -p build
    if ! nice -n 10 scripts/qt-windows.sh >"$log" 2>&1; then
        tail -n 30 "$log"
        return 1
    fi
    tail -n 2 "$log" | head -n 1
    prefix=$(tail -n 1 "$log")
    export VELLICOR_QT_WINDOWS=$prefix
}

# The whole program cross-built with mingw-w64 (vellicor.exe, its MSI and zip) and every test run under
# Wine, in a prefix of the build folder's own (made once, by the first test program); the GUI tests on
# the windows platform of Qt, on the X display. Wine's server of that prefix is stopped after.
windows_tests() {
    local status=0
    [ -n "${VELLICOR_QT_WINDOWS:-}" ] || return 1
    start_xvfb
    cmake --preset mingw >/dev/null &&
        cmake --build --preset mingw -j "$jobs" &&
        ctest --preset mingw -j "$jobs" || status=1
    [ -d build/mingw/wine-prefix ] && WINEPREFIX="$PWD/build/mingw/wine-prefix" wineserver -k 2>/dev/null
    return $status
}

# The MSI installed, started and uninstalled under Wine, and the zip's contents.
windows_install() {
    start_xvfb
    scripts/windows-install-test.sh build/mingw
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

# The C++ sources as clang-format writes them (.clang-format), so that no change is buried in reformatting.
style_check() {
    git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
}

# The benchmarks are built, not run: their figures are read by hand, on an idle machine.
bench_build() {
    cmake --preset bench >/dev/null &&
        cmake --build --preset bench -j "$jobs"
}

stage "Style (clang-format)" style_check
stage "Linux tests (ASan, UBSan)" linux_tests
stage "Qt for Windows" qt_windows
stage "Windows build under Wine" windows_tests
stage "Windows installer under Wine" windows_install
stop_xvfb
stage "Fuzzers" fuzz_tests
stage "Debian package" package_tests
stage "Benchmarks build" bench_build

echo
echo "==== Summary ===="
status=0
for name in "${stages[@]}"; do
    printf '%-30s %-7s %4d min %02d s\n' "$name" "${result[$name]}" $((seconds[$name] / 60)) $((seconds[$name] % 60))
    [ "${result[$name]}" = passed ] || status=1
done
exit $status
