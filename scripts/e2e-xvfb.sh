#!/usr/bin/env bash
# Drives the built program in a real X window, from the keyboard alone: types
# an entry, inserts and saves it, confirms the message and leaves with "Esci";
# then checks the exact bytes of the inventory file the program wrote.
# Uses the debug build that scripts/test.sh makes (another with PEZZARIUM_PROGRAM).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh test >&2
program="${PEZZARIUM_PROGRAM:-build/debug/src/pezzarium}"
wait_seconds=20

work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
    set +e
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "e2e: FAILED: $*" >&2
    if [[ -s $work/program.log ]]; then
        echo "e2e: the program printed:" >&2
        sed 's/^/    /' "$work/program.log" >&2
    fi
    echo "e2e: 0 passed, 1 failed"
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

[[ -x $program ]] || fail "no program at $program; build it with: bash scripts/test.sh"

# Xvfb takes the first free display and writes its number once it accepts
# clients. Without -noreset it would restart each time its last client left,
# turning away a program that connects at that moment.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
xvfb_started() {
    [[ -s $work/display ]] && return 0
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb ended: $(tail -n 3 "$work/xvfb.log")"
    return 1
}
wait_until xvfb_started || fail "Xvfb did not start within ${wait_seconds}s"
export DISPLAY=":$(head -n 1 "$work/display")"
wait_until xdotool getdisplaygeometry >/dev/null 2>&1 || fail "no connection to Xvfb on $DISPLAY"
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
    echo "e2e: expected bytes:" >&2
    od -c "$work/expected.txt" >&2
    echo "e2e: pezzarium.txt holds:" >&2
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

echo "e2e: 1 passed, 0 failed"
