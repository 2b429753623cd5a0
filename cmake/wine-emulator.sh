#!/bin/sh
# Runs a cross-built Windows program under Wine for ctest: wine-emulator.sh <prefix> <program.exe> [args...]
#
# The prefix is made on first use, once, even when two tests start together. Wine's own background
# processes (services, explorer) start with the first program and inherit its output; they would keep
# ctest's pipe open, and ctest waiting for them, long after the test ended. So the program writes to
# a file of its own, and this script passes that on once the program is done.
set -u
prefix=$1
shift
export WINEPREFIX="$prefix" WINEDEBUG=-all
# No Mono: nothing the tests run needs .NET, and without a network its installer only stalls the first start.
export WINEDLLOVERRIDES="mscoree=;${WINEDLLOVERRIDES:-}"

if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        # Wine's processes must not inherit the lock: they outlive this script.
        [ -f "$prefix/system.reg" ] || wine wineboot --init >/dev/null 2>&1 9>&-
    ) 9>"$prefix.lock"
fi

output=$(mktemp "${TMPDIR:-/tmp}/vellicor-wine.XXXXXX") || exit 125
trap 'rm -f "$output"' EXIT
wine "$@" >"$output" 2>&1 </dev/null
status=$?
if [ $status -ne 0 ] && [ ! -s "$output" ]; then
    # Every test program prints before it tests anything: a failure without a word is Wine not starting
    # it (seen once in some hundreds of runs). Said here, and run once more.
    echo "wine-emulator.sh: $1 exited with $status and printed nothing; running it once more" >&2
    wine "$@" >"$output" 2>&1 </dev/null
    status=$?
fi
cat "$output"
exit $status
