#!/usr/bin/env bash
# Builds the program and its tests and runs every test: the Qt Test suites,
# then the installed menu entry and the built program in a real window.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh test
cmake --preset debug
cmake --build --preset debug
ctest --preset debug
bash scripts/check-install.sh
bash scripts/e2e-xvfb.sh
