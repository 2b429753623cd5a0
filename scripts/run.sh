#!/usr/bin/env bash
# Builds Vellicor on a Debian 12 machine (installing the missing Debian packages) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh

vellicor_install "${VELLICOR_BUILD_PACKAGES[@]}"
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

if [ ! -x build/release/bin/vellicor ]; then
    echo "Built. The main window is not part of the program yet, so there is nothing to start."
    exit 0
fi
exec build/release/bin/vellicor "$@"
