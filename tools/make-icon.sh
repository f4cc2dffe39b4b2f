#!/usr/bin/env bash
# Makes resources/pezzarium.ico, the Windows icon, from the PNG icons: 16, 24,
# 32 and 48 px, each as a 256-colour palette image (for old shells and
# low-colour displays) and as 32-bit colour with alpha.
#
#   bash tools/make-icon.sh            remake resources/pezzarium.ico
#   bash tools/make-icon.sh --render   first render the PNGs from the SVGs
#   bash tools/make-icon.sh --check    fail if the .ico is not what the PNGs give
#
# The packages it needs: bash scripts/install-deps.sh icon
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
if [[ -n $mode && $mode != --render && $mode != --check ]]; then
    echo "usage: $0 [--render|--check]" >&2
    exit 2
fi
ico=resources/pezzarium.ico
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

palette=()
truecolour=()
for size in 16 24 32 48; do
    png=resources/icons/pezzarium-$size.png
    if [[ $mode == --render ]]; then
        # The 16 px picture is drawn apart, on the pixel grid.
        svg=resources/pezzarium.svg
        ((size == 16)) && svg=resources/pezzarium-16.svg
        rsvg-convert -w "$size" -h "$size" -o "$png" "$svg"
    fi
    # A palette image is either opaque or transparent at each pixel, and
    # icotool will not drop partial transparency itself: a pixel at least
    # half opaque shows.
    convert "$png" -channel A -threshold 50% +channel "PNG32:$work/$size.png"
    palette+=("$work/$size.png")
    truecolour+=("$png")
done
icotool --create -o "$work/pezzarium.ico" \
    --bit-depth=8 "${palette[@]}" --bit-depth=32 "${truecolour[@]}"

if [[ $mode == --check ]]; then
    if ! cmp -s "$work/pezzarium.ico" "$ico"; then
        echo "$ico is not what the PNG icons give; remake it: bash tools/make-icon.sh" >&2
        exit 1
    fi
    echo "$ico matches the PNG icons"
else
    cp "$work/pezzarium.ico" "$ico"
    icotool --list "$ico"
fi
