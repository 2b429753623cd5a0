#!/usr/bin/env bash
# Photographs the Windows program under Wine on an Xvfb display of its own, in a scratch Wine prefix:
#   windows-screenshots.sh [<output folder>] [<mingw build folder>]
# The real vellicor.exe in three themes (each chosen through Settings.xml, as a saved choice is), with
# F1's HTML Help window, inside Wine's virtual desktop (frames and taskbar drawn by Wine) and at 144 DPI;
# the dialogs and boxes through vellicor_tour, which opens them from the same classes.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
vellicor_install --no-install-recommends "${VELLICOR_WINE_PACKAGES[@]}" imagemagick x11-utils
out=$(realpath -m "${1:-build/windows-screenshots}")
build=$(realpath "${2:-build/mingw}")
mkdir -p "$out"
cmake --build "$build" --target vellicor vellicor_tour vellicor_window_probe >/dev/null

import=/usr/bin/import-im6.q16
convert=/usr/bin/convert-im6.q16
display_number=97
while [ -e "/tmp/.X$display_number-lock" ]; do display_number=$((display_number + 1)); done
Xvfb ":$display_number" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$display_number" WINEPREFIX=$build/wine-shots-prefix WINEDEBUG=-all
cleanup() {
    wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot --init >/dev/null 2>&1
fi
wineserver -w
for version in 11.0 12.0; do
    wine reg add "HKCU\\Software\\Microsoft\\Office\\$version\\Outlook\\Security" /f >/dev/null 2>&1
done
wine reg add 'HKCU\Software\Microsoft\Office\12.0\Outlook\Security' /v Level1Remove /t REG_SZ \
    /d '.zip;.exe;.mdb;.url' /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Microsoft\Office\12.0\Outlook\Security' /v Level1Add /t REG_SZ \
    /d '.js;.vbs' /f >/dev/null 2>&1
user=$(whoami)
settings_dir=$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Korvane\ Vellicor
exe=$(winepath -w "$build/bin/vellicor.exe")
title="Vellicor 2009 by korvane.example"

choose_theme() {
    mkdir -p "$settings_dir"
    printf '<?xml version="1.0" encoding="utf-8"?>\r\n<TSettings>\r\n\t<SkinName>%s</SkinName>\r\n</TSettings>\r\n' \
        "$1" >"$settings_dir/Settings.xml"
}

# wait_for_window <title>: until an X window of that name is mapped (30 s).
wait_for_window() {
    for _ in $(seq 300); do
        xwininfo -root -tree 2>/dev/null | grep -qF "\"$1\"" && return 0
        sleep 0.1
    done
    echo "no window \"$1\" appeared" >&2
    return 1
}

shoot() { # shoot <file>: the whole screen, trimmed to what is on it
    sleep 1.5
    "$import" -window root "$out/$1.full.png"
    "$convert" "$out/$1.full.png" -trim +repage "$out/$1.png"
    rm -f "$out/$1.full.png"
    echo "$out/$1.png"
}

# The main window of the real program in three themes; with the first, F1's HTML Help window too.
first=1
for theme in actThemeOffice2007 actThemeVista actThemeOrion; do
    choose_theme "$theme"
    if [ $first -eq 1 ]; then
        marker=$(mktemp -u /tmp/vellicor-probe.XXXXXX)
        wine "$build/tools/vellicor_window_probe.exe" "$exe" "$title" "$(winepath -w "$marker")" &
        probe=$!
        for _ in $(seq 600); do [ -e "$marker" ] && break; sleep 0.1; done
        shoot "windows-help"
        wait "$probe" || echo "the probe failed" >&2
        rm -f "$marker"
        first=0
    fi
    (cd "$build/bin" && wine vellicor.exe) &
    program=$!
    wait_for_window "$title"
    shoot "windows-main-${theme#actTheme}"
    wineserver -k
    wait "$program" 2>/dev/null || true
done

# The dialogs and boxes.
choose_theme actThemeOffice2007
scenes=$(mktemp -d /tmp/vellicor-tour.XXXXXX)
(cd "$build/bin" && wine "$build/ui/vellicor_tour.exe" "$(winepath -w "$scenes")" "$(winepath -w "$build/bin")" \
    actThemeOffice2007) &
tour=$!
for scene in main-actThemeOffice2007 add-list add-manual about question error; do
    for _ in $(seq 600); do [ -e "$scenes/$scene.ready" ] && break; sleep 0.1; done
    [ "$scene" = main-actThemeOffice2007 ] || shoot "windows-$scene"
    touch "$scenes/$scene.done"
done
wait "$tour" || true
rm -rf "$scenes"

# Inside Wine's virtual desktop: Wine draws the frame of HTML Help's window and a taskbar.
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Vellicor /t REG_SZ /d 1280x900 /f >/dev/null 2>&1
# The taskbar: EnableShell lives in a key named after the desktop.
wine reg add 'HKCU\Software\Wine\Explorer\Desktops\Vellicor' /v EnableShell /t REG_DWORD /d 1 /f >/dev/null 2>&1
choose_theme actThemeVista
(cd "$build/bin" && wine explorer /desktop=Vellicor,1280x900 vellicor.exe) &
desktop=$!
wait_for_window "Vellicor - Wine desktop" || true
sleep 4
shoot "windows-desktop"
wineserver -k
wait "$desktop" 2>/dev/null || true

# 144 DPI (150 %).
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wineserver -w
(cd "$build/bin" && wine vellicor.exe) &
program=$!
wait_for_window "$title"
shoot "windows-main-144dpi"
wineserver -k
wait "$program" 2>/dev/null || true
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
echo "Screenshots are in $out"
