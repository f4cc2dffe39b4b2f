#!/usr/bin/env bash
# Runs the Windows build's tests (ctest --preset windows: the Qt Test suites,
# the exe's version record and icon, the real window of the unpacked zip)
# under Wine, in a fresh prefix and on the X server that xvfb-run started.
# Runs from the repository's folder; arguments go to ctest.
#   test.sh [CTEST_ARGUMENT...]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

# Wine keeps a file's hidden and read-only attributes in an extended attribute;
# the prefix, where the tests make their files, goes on a file system that
# holds one (not every /tmp does).
keeps_dos_attributes() {
    local probe
    probe="$(mktemp "$1/pezzarium-xattr.XXXXXX" 2>/dev/null)" || return 1
    setfattr -n user.DOSATTRIB -v 0x02 "$probe" 2>/dev/null
    local kept=$?
    rm -f "$probe"
    return "$kept"
}
mkdir -p build/windows/tmp
for parent in "${TMPDIR:-/tmp}" /var/tmp "$PWD/build/windows/tmp"; do
    keeps_dos_attributes "$parent" && break
done
export WINEPREFIX
WINEPREFIX="$(mktemp -d "$parent/pezzarium-wine.XXXXXX")"
export WINEDEBUG=-all
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

bash "$here/../../tests/windows/wine-prefix.sh" "$WINEPREFIX"
# A server that stays up between the tests: otherwise each test's Wine starts
# one, and CTest waits on the pipes it keeps open after the test ended.
wineserver -p
# Wine's own services start with the first program and outlive it; started
# here, they hold none of CTest's pipes.
wine cmd /c exit </dev/null >/dev/null 2>&1

ctest --preset windows "$@"
