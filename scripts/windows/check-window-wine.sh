#!/usr/bin/env bash
# Drives the packaged Windows program under Wine from the keyboard alone, as
# scripts/check-window.sh does the Linux one: types an entry, inserts and
# saves it, confirms the message and leaves with "Esci"; then checks the exact
# bytes of the inventory file the program wrote beside itself. The program is
# copied to C:\Programmi\Magazzino è\ first, a folder with a space and an
# accent. Runs in the WINEPREFIX given, on the X display of xvfb-run.
#
#   check-window-wine.sh PACKAGE_FOLDER [SCREENSHOT.png]
set -euo pipefail

if (($# < 1)); then
    echo "usage: $0 PACKAGE_FOLDER [SCREENSHOT.png]" >&2
    exit 2
fi
package=$1
screenshot=${2:-}
# Wine starts its own services with the first program of a prefix.
wait_seconds=60

work="$(mktemp -d)"
app_pid=""
cleanup() {
    set +e
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "wine window: FAILED: $*" >&2
    if [[ -s $work/program.log ]]; then
        echo "wine window: the program printed:" >&2
        sed 's/^/    /' "$work/program.log" >&2
    fi
    echo "wine window: 0 passed, 1 failed"
    exit 1
}

wait_until() {
    local tries=$((wait_seconds * 10))
    until "$@"; do
        ((--tries > 0)) || return 1
        sleep 0.1
    done
}

find_window() {
    local tries=$((wait_seconds * 10)) found
    until found="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)" \
        && [[ -n $found ]]; do
        program_ended && return 1
        ((--tries > 0)) || return 1
        sleep 0.1
    done
    echo "$found"
}

no_window() { ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
program_ended() {
    local stat
    stat="$(cat "/proc/$app_pid/stat" 2>/dev/null)" || return 0
    [[ ${stat##*) } == Z* ]]
}
focus() { timeout "$wait_seconds" xdotool windowfocus --sync "$1"; }

[[ -f $package/pezzarium.exe ]] || fail "no pezzarium.exe in $package"
[[ -n ${DISPLAY:-} ]] || fail "no X display: run under xvfb-run -a"
[[ -d ${WINEPREFIX:-}/drive_c ]] || fail "no Wine prefix in WINEPREFIX"
export WINEDEBUG=-all

app="$WINEPREFIX/drive_c/Programmi/Magazzino è"
rm -rf "$app"
mkdir -p "$app"
cp -r "$package"/. "$app/"
wine "$app/pezzarium.exe" >"$work/program.log" 2>&1 &
app_pid=$!

if ! window="$(find_window '^Pezzarium v')"; then
    program_ended && fail "the program ended before its window appeared"
    fail "the window did not appear within ${wait_seconds}s"
fi
focus "$window" || fail "the window did not take the keyboard focus"

# The focus starts in "Nome Cassetto"; Tab follows the window's tab order:
# Sigla Componente, Numero, +, -, Ricerca, list, Tipologia, Inserisci, Salva.
xdotool type --delay 20 "A1"
xdotool key Tab
xdotool type --delay 20 "BC547"
xdotool key Tab Tab space space space
xdotool key Tab Tab Tab Tab ctrl+a
xdotool type --delay 20 "Transistor"
xdotool key Tab space
if [[ -n $screenshot ]]; then
    sleep 1
    xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng >"$screenshot"
fi
xdotool key Tab space

box="$(find_window '^pezzarium$')" || fail "no confirmation appeared after Salva"
focus "$box" || fail "the confirmation did not take the keyboard focus"
xdotool key Return
wait_until no_window '^pezzarium$' || fail "Return did not close the confirmation"

printf '[Box]: A1 [Item]: BC547 [Nr]: 3 [Type]: Transistor\r\n\r\n' >"$work/expected.txt"
if ! cmp -s "$work/expected.txt" "$app/pezzarium.txt"; then
    echo "wine window: expected bytes:" >&2
    od -c "$work/expected.txt" >&2
    echo "wine window: pezzarium.txt holds:" >&2
    od -c "$app/pezzarium.txt" >&2 || true
    fail "the inventory file is not what was typed"
fi

focus "$window" || fail "the window did not take the keyboard focus back"
xdotool key Tab space
wait_until program_ended || fail "Esci did not end the program within ${wait_seconds}s"
status=0
wait "$app_pid" || status=$?
app_pid=""
((status == 0)) || fail "the program ended with status $status"
cmp -s "$work/expected.txt" "$app/pezzarium.txt" || fail "leaving changed the inventory file"

echo "wine window: 1 passed, 0 failed"
