#!/usr/bin/env bash
# Renders the main window, the question box, the Add file types dialog and the About dialog in every
# theme from the real program (offscreen), into docs/screenshots/ (or the folder given).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
vellicor_install "${VELLICOR_BUILD_PACKAGES[@]}"
out=${1:-docs/screenshots}
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target vellicor_screenshots
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen build/release/ui/vellicor_screenshots "$out" examples/demo-user.reg data
echo "Screenshots are in $out"
