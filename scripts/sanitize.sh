#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer (preset "asan") and runs every test: a sanitizer
# report ends the test that caused it with a failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset asan
cmake --build --preset asan
ctest --preset asan
