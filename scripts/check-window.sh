#!/usr/bin/env bash
# Drives the program in a real X window, from the keyboard alone: types an
# entry, inserts and saves it, confirms the message and leaves with "Esci";
# then checks the exact bytes of the inventory file the program wrote.
# Runs on the X display that xvfb-run gives it (see tests/CMakeLists.txt):
#
#   xvfb-run -a bash scripts/check-window.sh PROGRAM
set -euo pipefail

if (($# != 1)); then
    echo "usage: $0 PROGRAM" >&2
    exit 2
fi
program=$1
wait_seconds=20

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
    echo "window: FAILED: $*" >&2
    if [[ -s $work/program.log ]]; then
        echo "window: the program printed:" >&2
        sed 's/^/    /' "$work/program.log" >&2
    fi
    echo "window: 0 passed, 1 failed"
    exit 1
}

# Runs "$@" every tenth of a second until it succeeds, for at most wait_seconds.
wait_until() {
    local tries=$((wait_seconds * 10))
    until "$@"; do
        ((--tries > 0)) || return 1
        sleep 0.1
    done
}

# Prints the visible window whose title matches the pattern, once it is
# there; fails if it does not come or the program ends first.
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
# Ended, though not yet reaped: its /proc entry is gone or shows a zombie.
program_ended() {
    local stat
    stat="$(cat "/proc/$app_pid/stat" 2>/dev/null)" || return 0
    [[ ${stat##*) } == Z* ]]
}
focus() { timeout "$wait_seconds" xdotool windowfocus --sync "$1"; }

[[ -x $program ]] || fail "no program at $program"
[[ -n ${DISPLAY:-} ]] || fail "no X display: run under xvfb-run -a"
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The inventory lives beside the executable, so the copy gets a folder of its own.
mkdir "$work/app"
cp "$program" "$work/app/pezzarium"
"$work/app/pezzarium" >"$work/program.log" 2>&1 &
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
xdotool key Tab space Tab space

box="$(find_window '^pezzarium$')" || fail "no confirmation appeared after Salva"
focus "$box" || fail "the confirmation did not take the keyboard focus"
xdotool key Return
wait_until no_window '^pezzarium$' || fail "Return did not close the confirmation"

printf '[Box]: A1 [Item]: BC547 [Nr]: 3 [Type]: Transistor\r\n\r\n' >"$work/expected.txt"
if ! cmp -s "$work/expected.txt" "$work/app/pezzarium.txt"; then
    echo "window: expected bytes:" >&2
    od -c "$work/expected.txt" >&2
    echo "window: pezzarium.txt holds:" >&2
    od -c "$work/app/pezzarium.txt" >&2 || true
    fail "the inventory file is not what was typed"
fi

# Back to the window, whose focus is still on Salva: Tab to Esci and press it.
focus "$window" || fail "the window did not take the keyboard focus back"
xdotool key Tab space
wait_until program_ended || fail "Esci did not end the program within ${wait_seconds}s"
status=0
wait "$app_pid" || status=$?
app_pid=""
((status == 0)) || fail "the program ended with status $status"
cmp -s "$work/expected.txt" "$work/app/pezzarium.txt" || fail "leaving changed the inventory file"

echo "window: 1 passed, 0 failed"
