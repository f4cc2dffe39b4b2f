#!/usr/bin/env bash
# Runs clang-tidy with the checks in .clang-tidy over every source file under
# src/ and tests/, with the compile commands of the debug build (built first,
# for the headers that moc and uic generate). Any finding is an error, so the
# script then exits non-zero after listing each one once.
#
#   bash scripts/clang-tidy.sh [BUILD_FOLDER]   (default: build/debug)
#
# The packages it needs: bash scripts/install-deps.sh tidy
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if (($#)); then
    build=$1
else
    cmake --preset debug >/dev/null
    build=build/debug
fi
cmake --build "$build"

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
# run-clang-tidy always asks for colour; the sed keeps the log plain.
run-clang-tidy-14 -p "$build" -j "$(nproc)" -quiet "^$root/(src|tests)/" 2>&1 \
    | sed 's/\x1b\[[0-9;]*m//g' | tee "$log" || status=$?
if ((status != 0)); then
    echo "clang-tidy findings (each once):"
    grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error):' "$log" | sort -u
    exit "$status"
fi
echo "clang-tidy: no findings"
