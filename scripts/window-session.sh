# Sourced by check-window.sh (Linux) and windows/check-window-wine.sh (Wine):
# the keyboard-only session both run against a real window. The caller sets
# label (the prefix of its messages) and wait_seconds, then starts the program
# with start_program and runs check_keyboard_session.

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
    echo "$label: FAILED: $*" >&2
    if [[ -s $work/program.log ]]; then
        echo "$label: the program printed:" >&2
        sed 's/^/    /' "$work/program.log" >&2
    fi
    echo "$label: 0 passed, 1 failed"
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

# Ended, though not yet reaped: its /proc entry is gone or shows a zombie.
program_ended() {
    local stat
    stat="$(cat "/proc/$app_pid/stat" 2>/dev/null)" || return 0
    [[ ${stat##*) } == Z* ]]
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
focus() { timeout "$wait_seconds" xdotool windowfocus --sync "$1"; }

# A picture of the window as PNG, once two taken half a second apart agree.
take_picture() {
    local window=$1 picture=$2 tries=20
    sleep 1
    xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng >"$work/previous.png"
    while ((tries-- > 0)); do
        sleep 0.5
        xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng >"$picture"
        cmp -s "$picture" "$work/previous.png" && return 0
        mv "$picture" "$work/previous.png"
    done
    return 1
}

start_program() {
    "$@" >"$work/program.log" 2>&1 &
    app_pid=$!
}

# Types an entry, inserts and saves it, confirms the message and leaves with
# "Esci"; checks the exact bytes of the inventory in FOLDER, before and after
# leaving. With SCREENSHOT, saves a picture of the filled-in window there. The
# caller says the test passed.
check_keyboard_session() {
    local folder=$1 screenshot=${2:-} window box status=0
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
        take_picture "$window" "$screenshot" || fail "the window did not settle for a picture"
    fi
    xdotool key Tab space

    box="$(find_window '^pezzarium$')" || fail "no confirmation appeared after Salva"
    focus "$box" || fail "the confirmation did not take the keyboard focus"
    xdotool key Return
    wait_until no_window '^pezzarium$' || fail "Return did not close the confirmation"

    printf '[Box]: A1 [Item]: BC547 [Nr]: 3 [Type]: Transistor\r\n\r\n' >"$work/expected.txt"
    if ! cmp -s "$work/expected.txt" "$folder/pezzarium.txt"; then
        echo "$label: expected bytes:" >&2
        od -c "$work/expected.txt" >&2
        echo "$label: pezzarium.txt holds:" >&2
        od -c "$folder/pezzarium.txt" >&2 || true
        fail "the inventory file is not what was typed"
    fi

    # Back to the window, whose focus is still on Salva: Tab to Esci and press it.
    focus "$window" || fail "the window did not take the keyboard focus back"
    xdotool key Tab space
    wait_until program_ended || fail "Esci did not end the program within ${wait_seconds}s"
    wait "$app_pid" || status=$?
    app_pid=""
    ((status == 0)) || fail "the program ended with status $status"
    cmp -s "$work/expected.txt" "$folder/pezzarium.txt" || fail "leaving changed the inventory file"
}
