#!/usr/bin/env bash
# Builds the program and its tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset debug
cmake --build --preset debug
ctest --preset debug
