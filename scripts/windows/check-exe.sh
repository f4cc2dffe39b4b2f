#!/usr/bin/env bash
# Checks what Explorer shows of the program file: its version record (the
# file version, such as 1.0.0.0, its text, such as "1.00", and the product
# "pezzarium") and its icon, all eight images of resources/pezzarium.ico; and
# the application manifest that Windows reads when it starts it, entry by
# entry. CTest runs it with the version of project() (tests/CMakeLists.txt).
#   check-exe.sh PROGRAM.exe VERSION VERSION_TEXT
set -euo pipefail
if (($# != 3)); then
    echo "usage: $0 PROGRAM.exe VERSION VERSION_TEXT" >&2
    exit 2
fi
exe="$1" version="$2" text="$3"
IFS=. read -r major minor patch tweak <<<"$version"
# The fixed part holds the file version as two 32-bit words of two 16-bit numbers.
expected_words="$(printf '%04x%04x.%04x%04x' "$major" "$minor" "${patch:-0}" "${tweak:-0}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "check-exe: FAILED: $*" >&2
    failures=$((failures + 1))
}

# The version record: the fixed part after its signature, then the strings.
wrestool -x --raw --type=16 "$exe" >"$work/version.bin" || fail "no version record"
offset="$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$work/version.bin" | head -n 1 | cut -d: -f1 || true)"
if [[ -z $offset ]]; then
    fail "the version record has no fixed part"
else
    # dwSignature, dwStrucVersion, then the file version's high and low words.
    read -r -a words < <(od -A n -t x4 -j "$offset" -N 16 "$work/version.bin")
    [[ ${words[2]}.${words[3]} == "$expected_words" ]] \
        || fail "file version ${words[2]}.${words[3]}, not $version ($expected_words)"
fi
strings -e l "$work/version.bin" >"$work/strings.txt"
value() { grep -A 1 -x "$1" "$work/strings.txt" | sed -n 2p; }
for expected in "FileVersion=$text" "ProductVersion=$text" ProductName=pezzarium \
    OriginalFilename=pezzarium.exe; do
    name="${expected%%=*}"
    [[ $(value "$name") == "${expected#*=}" ]] \
        || fail "$name is '$(value "$name")', not '${expected#*=}'"
done

# The icon: the same images as the icon file, in the same order.
wrestool -x --type=14 "$exe" >"$work/icon.ico" 2>/dev/null || true
icotool -l "$work/icon.ico" >"$work/images.txt" 2>/dev/null || fail "no icon"
source_ico="$(dirname "$0")/../../resources/pezzarium.ico"
icotool -l "$source_ico" >"$work/expected.txt"
[[ $(wc -l <"$work/images.txt") -eq 8 ]] || fail "$(wc -l <"$work/images.txt") icon images, not 8"
cmp -s "$work/images.txt" "$work/expected.txt" || fail "the icon's images differ from $source_ico"

# The manifest: these entries and no others.
manifest_entries() {
    xmllint --xpath '//*[not(*)]' "$work/manifest.xml" 2>/dev/null \
        | grep -o '<[A-Za-z][A-Za-z]*' | tr -d '<' | sort | tr '\n' ' '
}
entry() { xmllint --xpath "string(//*[local-name()='$1']${2:-})" "$work/manifest.xml" 2>/dev/null; }
if ! wrestool -x --raw --type=24 --name=1 "$exe" >"$work/manifest.xml" 2>/dev/null \
    || ! [[ -s $work/manifest.xml ]]; then
    fail "no application manifest"
elif ! xmllint --noout "$work/manifest.xml" 2>/dev/null; then
    fail "the manifest is no well-formed XML"
else
    # Runs as the user who starts it: no UAC prompt, no installer guess, no
    # VirtualStore redirection of writes.
    [[ $(entry requestedExecutionLevel /@level) == asInvoker ]] || fail "the manifest asks for no asInvoker"
    [[ $(entry requestedExecutionLevel /@uiAccess) == false ]] || fail "the manifest asks for uiAccess"
    # Windows 10 and 11 share one identifier.
    [[ $(entry supportedOS /@Id) == "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" ]] \
        || fail "the manifest names no Windows 10 and 11 as supported"
    [[ $(entry longPathAware) == true ]] || fail "the manifest is not long path aware"
    # What Qt sets itself; another value makes it warn.
    [[ $(entry dpiAwareness) == PerMonitorV2 ]] || fail "the DPI awareness is '$(entry dpiAwareness)', not PerMonitorV2"
    # No activeCodePage (8-bit inventories follow the ANSI code page), nothing else.
    expected_entries="dpiAwareness longPathAware requestedExecutionLevel supportedOS "
    [[ $(manifest_entries) == "$expected_entries" ]] \
        || fail "the manifest holds '$(manifest_entries)', not '$expected_entries'"
fi

if ((failures)); then
    echo "check-exe: 0 passed, 1 failed"
    exit 1
fi
echo "check-exe: version record, $(wc -l <"$work/images.txt") icon images and manifest as expected"
echo "check-exe: 1 passed, 0 failed"
