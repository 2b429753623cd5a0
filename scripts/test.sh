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

stage "Linux tests (ASan, UBSan)" linux_tests
stage "Qt for Windows" qt_windows
stage "Windows build under Wine" windows_tests
stage "Windows installer under Wine" windows_install
stop_xvfb
stage "Fuzzers" fuzz_tests

echo
echo "==== Summary ===="
status=0
for name in "${stages[@]}"; do
    printf '%-30s %-7s %4d min %02d s\n' "$name" "${result[$name]}" $((seconds[$name] / 60)) $((seconds[$name] % 60))
    [ "${result[$name]}" = passed ] || status=1
done
exit $status
