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

stage "Linux tests (ASan, UBSan)" linux_tests
stage "Windows build under Wine" windows_tests
stage "Fuzzers" fuzz_tests

echo
echo "==== Summary ===="
status=0
for name in "${stages[@]}"; do
    printf '%-30s %s\n' "$name" "${result[$name]}"
    [ "${result[$name]}" = passed ] || status=1
done
exit $status
