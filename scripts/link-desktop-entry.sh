#!/usr/bin/env bash
# Puts the program installed under PREFIX into the desktop's application menu.
# `cmake --install` leaves the menu entry and the icons in PREFIX/share, which
# the desktop does not search when PREFIX is a folder of the user's own (such
# as ~/pezzarium); this links them into the user's data folder, where it does.
#
#   bash scripts/link-desktop-entry.sh PREFIX           add the menu entry
#   bash scripts/link-desktop-entry.sh --remove PREFIX  take it away again
set -euo pipefail
shopt -s nullglob

remove=false
if [[ ${1:-} == --remove ]]; then
    remove=true
    shift
fi
if (($# != 1)); then
    echo "usage: $0 [--remove] PREFIX" >&2
    exit 2
fi
share="$(realpath -m "$1")/share"
data="${XDG_DATA_HOME:-$HOME/.local/share}"

if $remove; then
    for link in "$data"/applications/pezzarium.desktop "$data"/icons/hicolor/*/apps/pezzarium.*; do
        # Only a link into this PREFIX is ours to remove.
        if [[ -L $link && $(readlink "$link") == "$share/${link#"$data/"}" ]]; then
            rm "$link"
        fi
    done
    echo "Menu entry removed from $data"
    exit 0
fi

if [[ ! -f $share/applications/pezzarium.desktop ]]; then
    echo "No menu entry in $share/applications: install the program there first" >&2
    exit 1
fi
# A prefix the desktop searches already (/usr, /usr/local) needs no links.
IFS=: read -ra searched <<<"$data:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}"
for folder in "${searched[@]}"; do
    if [[ -n $folder && $(realpath -m "$folder") == "$share" ]]; then
        echo "The desktop already finds the menu entry in $share"
        exit 0
    fi
done

files=(applications/pezzarium.desktop)
for icon in "$share"/icons/hicolor/*/apps/pezzarium.*; do
    files+=("${icon#"$share/"}")
done
for file in "${files[@]}"; do
    if [[ -e $data/$file && ! -L $data/$file ]]; then
        echo "Kept $data/$file: it is a file of your own, not a link" >&2
        continue
    fi
    mkdir -p "$(dirname "$data/$file")"
    ln -sfn "$share/$file" "$data/$file"
done
# An icon cache, where there is one, hides icons it does not list.
if [[ -f $data/icons/hicolor/icon-theme.cache ]] && command -v gtk-update-icon-cache >/dev/null; then
    gtk-update-icon-cache -q -f -t "$data/icons/hicolor" || true
fi
echo "Menu entry: $data/applications/pezzarium.desktop"
