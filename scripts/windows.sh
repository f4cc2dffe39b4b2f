#!/usr/bin/env bash
# Builds the portable Windows program on this Debian machine and tests it
# under Wine:
#   bash scripts/windows.sh          Qt (cached), the exe, the zip, the tests
#   bash scripts/windows.sh build    Qt (cached), the exe and the zip only
#   bash scripts/windows.sh test     the tests of the last build only
# The minimal Qt for Windows is built once into /var/cache/pezzarium (or
# PEZZARIUM_QT_CACHE) and reused by later runs and by CI on this machine.
set -euo pipefail
cd "$(dirname "$0")/.."

what="${1:-all}"
build=build/windows # the preset's
package=pezzarium-1.00-windows-x64

build_program() {
    export PEZZARIUM_QT_WINDOWS="$1"
    cmake --preset windows
    cmake --build --preset windows

    # The test programs run from the build folder, so it gets their DLLs too.
    local exes=("$build"/*.exe)
    bash scripts/windows/deploy.sh "$1" "$build" "${exes[@]}" \
        -- platforms/qwindows platforms/qoffscreen styles/qwindowsvistastyle

    local folder="$build/$package"
    rm -rf "$folder" "$build/$package.zip"
    mkdir -p "$folder/translations"
    cp "$build/pezzarium.exe" "$folder/"
    bash scripts/windows/deploy.sh "$1" "$folder" "$folder/pezzarium.exe" \
        -- platforms/qwindows styles/qwindowsvistastyle
    # Debian's MinGW runtime and Qt's install keep their symbols: a third of the size.
    find "$folder" \( -name '*.exe' -o -name '*.dll' \) -exec x86_64-w64-mingw32-strip {} +
    cp /usr/share/qt6/translations/qtbase_it.qm "$folder/translations/"
    (cd "$build" && zip -q -r -9 "$package.zip" "$package")
    echo "windows: $build/$package.zip: $(du -sb "$folder" | cut -f1) bytes in the folder," \
        "$(stat -c %s "$build/$package.zip") zipped" >&2
}

bash scripts/install-deps.sh windows
if [[ $what != test ]]; then
    qt_prefix="$(bash scripts/windows/qt.sh | tail -n 1)"
    echo "windows: Qt for Windows in $qt_prefix" >&2
    build_program "$qt_prefix"
fi
if [[ $what != build ]]; then
    xvfb-run -a -s "-screen 0 1280x800x24 -noreset" bash scripts/windows/test.sh "$build/$package"
fi
