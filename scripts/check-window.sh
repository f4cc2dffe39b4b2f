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
label=window
wait_seconds=20
source "$(dirname "$0")/window-session.sh"

[[ -x $program ]] || fail "no program at $program"
[[ -n ${DISPLAY:-} ]] || fail "no X display: run under xvfb-run -a"
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The inventory lives beside the executable, so the copy gets a folder of its own.
mkdir "$work/app"
cp "$program" "$work/app/pezzarium"
start_program "$work/app/pezzarium"
check_keyboard_session "$work/app"
echo "$label: 1 passed, 0 failed"
