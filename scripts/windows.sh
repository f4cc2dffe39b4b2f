#!/usr/bin/env bash
# Builds the portable Windows program on this Debian machine and tests it
# under Wine:
#   bash scripts/windows.sh          Qt (cached), the exe, the zip, the tests
#   bash scripts/windows.sh build    Qt (cached), the exe and the zip only
#   bash scripts/windows.sh test     the tests of the last build only
# The minimal Qt for Windows is built once into /var/cache/pezzarium (or
# PEZZARIUM_QT_CACHE) and reused by later runs and by CI on this machine.
# CMake makes the rest: the workflow preset "windows" configures, builds and
# zips (cmake/windows-package.cmake), the test preset "windows" tests.
set -euo pipefail
cd "$(dirname "$0")/.."

what="${1:-all}"
case $what in
    all | build | test) ;;
    *)
        echo "usage: $0 [build|test]" >&2
        exit 2
        ;;
esac

bash scripts/install-deps.sh windows
if [[ $what != test ]]; then
    PEZZARIUM_QT_WINDOWS="$(bash scripts/windows/qt.sh | tail -n 1)"
    export PEZZARIUM_QT_WINDOWS
    echo "windows: Qt for Windows in $PEZZARIUM_QT_WINDOWS" >&2
    cmake --workflow --preset windows
fi
if [[ $what != build ]]; then
    xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" bash scripts/windows/test.sh
fi
