#!/usr/bin/env bash
# Builds the program, installs it into ~/pezzarium (a folder that a rebuild
# never wipes, since the inventory lives beside the executable), adds it to
# the desktop's application menu and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
prefix="${PEZZARIUM_PREFIX:-$HOME/pezzarium}"
cmake --install build/release --prefix "$prefix"
bash scripts/link-desktop-entry.sh "$prefix"
echo "Inventory file: $prefix/bin/pezzarium.txt"
exec "$prefix/bin/pezzarium"
