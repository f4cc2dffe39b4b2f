#!/usr/bin/env bash
# Checks the application menu entry of two installs made by `cmake --install`
# (CTest makes them first; see tests/CMakeLists.txt): that it is valid, starts
# the installed program, has its icons and can be linked into the menu and out.
#
#   bash scripts/check-install.sh PREFIX STAGED_PREFIX
#
# PREFIX is an install whose path holds a space; STAGED_PREFIX is the
# /opt/pezzarium of an install staged with DESTDIR, as a package is built.
set -euo pipefail
cd "$(dirname "$0")/.."

if (($# != 2)); then
    echo "usage: $0 PREFIX STAGED_PREFIX" >&2
    exit 2
fi
prefix=$1
staged=$2

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
fail() {
    echo "install: FAILED: $*" >&2
    failed=$((failed + 1))
}

entry_is_valid() {
    local entry=$1 exec_line=$2 report
    [[ -f $entry ]] || { fail "no menu entry at $entry"; return; }
    report="$(desktop-file-validate "$entry" 2>&1)" || { fail "$report"; return; }
    [[ -z $report ]] || { fail "desktop-file-validate: $report"; return; }
    grep -qxF "$exec_line" "$entry" || { fail "expected '$exec_line' in $entry"; return; }
    passed=$((passed + 1))
}

# A prefix with a space, as a home folder may have: Exec must quote it.
entry_is_valid "$prefix/share/applications/pezzarium.desktop" "Exec=\"$prefix/bin/pezzarium\""
for icon in 16x16/apps/pezzarium.png 24x24/apps/pezzarium.png 32x32/apps/pezzarium.png \
    48x48/apps/pezzarium.png scalable/apps/pezzarium.svg; do
    [[ -s $prefix/share/icons/hicolor/$icon ]] || fail "icon $icon not installed"
done

# The staged entry names the final place, not the staging folder.
entry_is_valid "$staged/share/applications/pezzarium.desktop" "Exec=/opt/pezzarium/bin/pezzarium"

# Linked into the user's data folder, then taken out again.
export XDG_DATA_HOME="$work/data"
bash scripts/link-desktop-entry.sh "$prefix" >/dev/null
links=("$XDG_DATA_HOME"/applications/pezzarium.desktop "$XDG_DATA_HOME"/icons/hicolor/*/apps/pezzarium.*)
if ((${#links[@]} != 6)); then
    fail "expected 6 links in $XDG_DATA_HOME, found ${#links[@]}"
elif ! cmp -s "${links[0]}" "$prefix/share/applications/pezzarium.desktop"; then
    fail "the linked menu entry is not the installed one"
else
    bash scripts/link-desktop-entry.sh --remove "$prefix" >/dev/null
    left="$(find "$XDG_DATA_HOME" -name 'pezzarium.*')"
    if [[ -n $left ]]; then
        fail "links left after --remove: $left"
    else
        passed=$((passed + 1))
    fi
fi

echo "install: $passed passed, $failed failed"
((failed == 0))
