#!/usr/bin/env bash
# Builds the program, installs it into ~/pezzarium (a folder that a rebuild
# never wipes, since the inventory lives beside the executable), adds it to
# the desktop's application menu and starts it. The packages it needs:
# bash scripts/install-deps.sh
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --workflow --preset release
prefix="${PEZZARIUM_PREFIX:-$HOME/pezzarium}"
cmake --install build/release --prefix "$prefix"
bash scripts/link-desktop-entry.sh "$prefix"
echo "Inventory file: $prefix/bin/pezzarium.txt"
exec "$prefix/bin/pezzarium"
