#!/usr/bin/env bash
# Drives the packaged Windows program under Wine from the keyboard alone, as
# scripts/check-window.sh does the Linux one: types an entry, inserts and
# saves it, confirms the message and leaves with "Esci"; then checks the exact
# bytes of the inventory file the program wrote beside itself. The program is
# copied to C:\Programmi\Magazzino è\ first, a folder with a space and an
# accent, or with --deep-folder to a folder whose path is longer than 260
# characters. Runs in the WINEPREFIX given, on the X display of xvfb-run.
#
#   check-window-wine.sh [--scale PERCENT] [--deep-folder] [--expect PICTURE.png] PACKAGE_FOLDER
#
# --scale: Windows' display scaling (Wine's LogPixels), 100 unless given.
# --expect: the window, filled in, must look exactly as in that picture; when
# it does not, the picture it has goes to the current folder, as *.actual.png.
# PEZZARIUM_SCREENSHOTS=FOLDER: its picture goes there too, as
# window-wine.png, or window-wine-PERCENT.png at another scale.
set -euo pipefail

scale=100 deep=no expect=""
while (($#)); do
    case $1 in
        --scale) scale=$2 && shift 2 ;;
        --deep-folder) deep=yes && shift ;;
        --expect) expect=$2 && shift 2 ;;
        *) break ;;
    esac
done
if (($# != 1)); then
    echo "usage: $0 [--scale PERCENT] [--deep-folder] [--expect PICTURE.png] PACKAGE_FOLDER" >&2
    exit 2
fi
package=$1
started_in=$PWD
label="wine window"
((scale == 100)) || label="wine window at $scale %"
# Wine starts its own services with the first program of a prefix.
wait_seconds=60
source "$(dirname "$0")/../window-session.sh"

[[ -f $package/pezzarium.exe ]] || fail "no pezzarium.exe in $package"
[[ -n ${DISPLAY:-} ]] || fail "no X display: run under xvfb-run -a"
[[ -d ${WINEPREFIX:-}/drive_c ]] || fail "no Wine prefix in WINEPREFIX"
export WINEDEBUG=-all

# Windows' scaling is the screen's DPI, 96 at 100 %; each run sets its own, so
# that none inherits another's. Wine reads it when a program starts.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $((96 * scale / 100)) /f \
    >/dev/null 2>&1 || fail "could not set the display scaling"

if [[ $deep == yes ]]; then
    # Deep under a user's documents, as a synced folder often is.
    app="$WINEPREFIX/drive_c/Utenti/Mario Rossi/Documenti/Laboratorio di elettronica del circolo"
    app+="/Magazzino dei componenti, cassettiere dello scaffale nord/Inventario aggiornato ogni"
    app+=" settimana dopo gli acquisti/Programma per l'inventario dei componenti elettronici"
    app+="/Copia di lavoro condivisa con gli altri soci del circolo"
    windows_path="C:${app#"$WINEPREFIX/drive_c"}"
    ((${#windows_path} > 260)) || fail "the deep folder's path has only ${#windows_path} characters"
else
    app="$WINEPREFIX/drive_c/Programmi/Magazzino è"
fi
rm -rf "$app"
mkdir -p "$app"
cp -r "$package"/. "$app/"
# Started from its own folder, as Explorer starts it: Windows loads DLLs from
# the current folder too, so another one could hide a DLL missing here.
cd "$app"
start_program wine "$app/pezzarium.exe"

picture=""
if [[ -n $expect || -n ${PEZZARIUM_SCREENSHOTS:-} ]]; then
    picture="$work/window.png"
fi
check_keyboard_session "$app" "$picture"

if [[ -n ${PEZZARIUM_SCREENSHOTS:-} ]]; then
    name=window-wine.png
    ((scale == 100)) || name="window-wine-$scale.png"
    cp "$picture" "$PEZZARIUM_SCREENSHOTS/$name"
fi
if [[ -n $expect ]]; then
    actual="$started_in/$(basename "${expect%.png}").actual.png"
    differing="$(compare -metric AE "$expect" "$picture" /dev/null 2>&1 || true)"
    if [[ $differing != 0 ]]; then
        cp "$picture" "$actual"
        fail "the window differs from $expect in ${differing} pixels; it looks as in $actual"
    fi
    rm -f "$actual"
fi
echo "$label: 1 passed, 0 failed"
