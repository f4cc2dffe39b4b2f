#!/usr/bin/env bash
# Copies beside a Windows program what it loads at run time: the DLLs it
# imports, found again in theirs (Qt's and MinGW's runtime), the Qt plugins
# named after the program, and qt.conf pointing Qt at that folder.
#   deploy.sh QT_PREFIX FOLDER PROGRAM.exe... [-- PLUGIN_DIR/NAME...]
set -euo pipefail

qt="$1" folder="$2"
shift 2
programs=() plugins=()
while (($#)) && [[ $1 != -- ]]; do programs+=("$1"); shift; done
(($#)) && shift
plugins=("$@")

triple=x86_64-w64-mingw32
# Where the DLLs come from, first match wins.
search=(
    "$qt/bin"
    "$(dirname "$($triple-g++-posix -print-file-name=libstdc++-6.dll)")"
    "/usr/$triple/lib"
)

find_dll() {
    local dir
    for dir in "${search[@]}"; do
        [[ -f $dir/$1 ]] && { echo "$dir/$1"; return 0; }
    done
    return 1
}

declare -A copied=()
# Copies what file imports, and what those import, that is not Windows' own.
copy_imports() {
    local name path
    while read -r name; do
        [[ -n ${copied[${name,,}]:-} ]] && continue
        path="$(find_dll "$name")" || continue # a system DLL
        copied[${name,,}]=1
        cp "$path" "$folder/"
        copy_imports "$path"
    done < <($triple-objdump -p "$1" | sed -n 's/^\tDLL Name: //p')
}

mkdir -p "$folder"
for program in "${programs[@]}"; do
    copy_imports "$program"
done
for plugin in "${plugins[@]}"; do
    mkdir -p "$folder/$(dirname "$plugin")"
    cp "$qt/plugins/$plugin.dll" "$folder/$plugin.dll"
    copy_imports "$qt/plugins/$plugin.dll"
done
# Translations and plugins are looked for from the program's own folder.
printf '[Paths]\nPrefix = .\nPlugins = .\n' >"$folder/qt.conf"
