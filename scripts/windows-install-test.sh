#!/usr/bin/env bash
# Installs the Windows package under Wine as a user would, and takes it away again:
#   windows-install-test.sh [<mingw build folder>]
# In a fresh Wine prefix: the MSI installs per user without elevation (files, Start menu shortcut,
# Add/Remove Programs entry), the installed program shows its window and F1 opens Help.chm in HTML
# Help, and uninstalling removes what was installed but leaves the user's Settings.xml and Outlook's
# lists alone. The zip holds the same three files. Needs an X display (test.sh starts Xvfb).
set -uo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/mingw}")

failures=0
check() { # check <description> <command...>
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}

msi=$(ls "$build"/Vellicor-*-windows-x64.msi 2>/dev/null | head -n1)
zip=$(ls "$build"/Vellicor-*-windows-x64.zip 2>/dev/null | head -n1)
probe=$build/tools/vellicor_window_probe.exe
for file in "$msi" "$zip" "$probe"; do
    if [ ! -f "$file" ]; then
        echo "missing: ${file:-the MSI or zip in $build}"
        exit 1
    fi
done
if [ -z "${DISPLAY:-}" ]; then
    echo "needs an X display (DISPLAY)"
    exit 1
fi

export WINEPREFIX=$build/wine-install-prefix WINEDEBUG=-all
rm -rf "$WINEPREFIX"
stop_wine() { wineserver -k 2>/dev/null; }
trap stop_wine EXIT
# No Mono and no Gecko installers: nothing here needs them, and without a network they only stall.
WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot --init >/dev/null 2>&1
wineserver -w

user=$(whoami)
profile=$WINEPREFIX/drive_c/users/$user
installed=$profile/AppData/Local/Programs/Vellicor
shortcut=$profile/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Vellicor.lnk
settings=$profile/AppData/Roaming/Korvane\ Vellicor/Settings.xml
settings_text='<TSettings><SkinName>actThemeVista</SkinName></TSettings>'
office='HKCU\Software\Microsoft\Office\12.0\Outlook\Security'

# What the user had before: a theme choice and a list in Outlook's key.
mkdir -p "$(dirname "$settings")"
printf '%s' "$settings_text" >"$settings"
wine reg add "$office" /v Level1Add /t REG_SZ /d ".url;.js" /f >/dev/null 2>&1

registry_has() { # registry_has <text>: in the prefix's saved hives
    wineserver -w
    grep -qF "$1" "$WINEPREFIX/user.reg" "$WINEPREFIX/system.reg"
}
registry_lacks() { ! registry_has "$1"; }
level1add_kept() { wine reg query "$office" /v Level1Add 2>/dev/null | tr -d '\r' | grep -q 'REG_SZ *\.url;\.js$'; }

echo "Installing $(basename "$msi")"
check "msiexec /i exits 0" wine msiexec /i "$(winepath -w "$msi")" /qn
wineserver -w
for file in vellicor.exe Extensions.txt Help.chm; do
    check "installed $file" test -f "$installed/$file"
done
check "Start menu shortcut" test -f "$shortcut"
check "Add/Remove Programs entry with publisher" registry_has '"Publisher"="Korvane"'
version=$(basename "$msi" | sed 's/^Vellicor-\(.*\)-windows-x64\.msi$/\1/')
check "Add/Remove Programs entry with version $version" registry_has "\"DisplayVersion\"=\"$version\""
check "nothing installed for all users" test ! -d "$WINEPREFIX/drive_c/Program Files/Vellicor"

echo "Starting the installed program"
exe_windows=$(winepath -w "$installed/vellicor.exe")
check "main window and F1's HTML Help from Help.chm" wine "$probe" "$exe_windows" "Vellicor 2009 by korvane.example"
# Extensions.txt is read where the program looks for it: its own folder.
check "Extensions.txt beside the installed program" cmp -s "$installed/Extensions.txt" "$build/bin/Extensions.txt"

echo "Uninstalling"
check "msiexec /x exits 0" wine msiexec /x "$(winepath -w "$msi")" /qn
wineserver -w
check "program folder removed" test ! -e "$installed"
check "Start menu shortcut removed" test ! -e "$shortcut"
check "Add/Remove Programs entry removed" registry_lacks '"Publisher"="Korvane"'
check "Settings.xml kept as it was" test "$(cat "$settings" 2>/dev/null)" = "$settings_text"
check "Outlook's list kept" level1add_kept

echo "Portable zip"
listing=$(cd /tmp && cmake -E tar tf "$zip" | sort | tr '\n' ' ')
check "zip holds the program and its two files" test "$listing" = "Vellicor/ Vellicor/Extensions.txt Vellicor/Help.chm Vellicor/vellicor.exe "

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all install checks passed"
