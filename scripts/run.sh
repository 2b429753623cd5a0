#!/usr/bin/env bash
# Builds Vellicor on a Debian 12 machine (installing the missing Debian packages) and starts it.
# Without a Wine prefix of your own it runs on a demo prefix in the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh

vellicor_install "${VELLICOR_BUILD_PACKAGES[@]}"
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Vellicor is built (build/release/bin/vellicor), but there is no display to show its window on:" >&2
    echo "run this command from a desktop session (DISPLAY or WAYLAND_DISPLAY must be set)." >&2
    exit 1
fi

if [ -z "${WINEPREFIX:-}" ] && [ ! -f "$HOME/.wine/user.reg" ]; then
    demo="$PWD/build/release/demo-prefix"
    if [ ! -f "$demo/user.reg" ]; then
        mkdir -p "$demo"
        cp examples/demo-user.reg "$demo/user.reg"
    fi
    touch "$demo/.vellicor-demo" # the window says that it edits a demo
    export WINEPREFIX="$demo"
    echo "No Wine prefix on this machine: Vellicor edits the demo prefix $WINEPREFIX"
fi
exec build/release/bin/vellicor
