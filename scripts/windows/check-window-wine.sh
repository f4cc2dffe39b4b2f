#!/usr/bin/env bash
# Drives the packaged Windows program under Wine from the keyboard alone, as
# scripts/check-window.sh does the Linux one: types an entry, inserts and
# saves it, confirms the message and leaves with "Esci"; then checks the exact
# bytes of the inventory file the program wrote beside itself. The program is
# copied to C:\Programmi\Magazzino è\ first, a folder with a space and an
# accent. Runs in the WINEPREFIX given, on the X display of xvfb-run. The
# screenshot of the window goes to SCREENSHOT.png, or to PEZZARIUM_SCREENSHOT.
#
#   check-window-wine.sh PACKAGE_FOLDER [SCREENSHOT.png]
set -euo pipefail

if (($# < 1)); then
    echo "usage: $0 PACKAGE_FOLDER [SCREENSHOT.png]" >&2
    exit 2
fi
package=$1
screenshot=${2:-${PEZZARIUM_SCREENSHOT:-}}
label="wine window"
# Wine starts its own services with the first program of a prefix.
wait_seconds=60
source "$(dirname "$0")/../window-session.sh"

[[ -f $package/pezzarium.exe ]] || fail "no pezzarium.exe in $package"
[[ -n ${DISPLAY:-} ]] || fail "no X display: run under xvfb-run -a"
[[ -d ${WINEPREFIX:-}/drive_c ]] || fail "no Wine prefix in WINEPREFIX"
export WINEDEBUG=-all

app="$WINEPREFIX/drive_c/Programmi/Magazzino è"
rm -rf "$app"
mkdir -p "$app"
cp -r "$package"/. "$app/"
# Started from its own folder, as Explorer starts it: Windows loads DLLs from
# the current folder too, so another one could hide a DLL missing here.
cd "$app"
start_program wine "$app/pezzarium.exe"
check_keyboard_session "$app" "$screenshot"
