#!/usr/bin/env bash
# Cross-builds a minimal Qt for Windows (x86_64, MinGW-w64 with posix threads)
# from Debian's own qt6-base source, into a cache folder outside the work tree
# that later runs reuse. Prints the Qt prefix on the last line of its output.
# The folder name holds the Qt version and a hash of the configure options and
# the patch, so a change of either builds a fresh Qt beside the old one.
set -euo pipefail

# The host tools (moc, rcc, uic) are Debian's; the target Qt must be the same
# release of the same source.
qt_version="$(dpkg-query -W -f='${source:Version}' qt6-base-dev)"
cache_root="${PEZZARIUM_QT_CACHE:-/var/cache/pezzarium}"
here="$(cd "$(dirname "$0")" && pwd)"

# Only what the program and its tests use. Bundled freetype is for the
# offscreen platform plugin, which the tests run on.
configure_options=(
    -release -shared -nomake examples -nomake tests
    -no-opengl -no-feature-vulkan -no-feature-direct2d
    -no-feature-network -no-feature-sql -no-dbus -no-feature-printsupport
    -no-feature-concurrent -no-feature-xml -no-feature-jpeg -no-feature-gif
    -no-icu -no-feature-zstd -no-feature-tabletevent
    -qt-zlib -qt-pcre -qt-libpng -qt-harfbuzz -qt-freetype
)

key="$(printf '%s\n' "$qt_version" "${configure_options[@]}" \
    | cat - "$here/qt-direct2d.patch" | sha256sum | cut -c1-12)"
prefix="$cache_root/qt-${qt_version%%+*}-mingw-$key"

mkdir -p "$cache_root"
# One build at a time; a second run waits for the first and then reuses it.
exec 9>"$cache_root/.lock"
flock 9
if [[ -f $prefix/.complete ]]; then
    echo "$prefix"
    exit 0
fi

echo "windows: building Qt $qt_version for Windows into $prefix" \
    "(15 minutes or more on two cores)" >&2
work="$cache_root/work-$key"
rm -rf "$work" "$prefix"
mkdir -p "$work"
cd "$work"

# Debian's source of the very Qt the host tools come from, so that the host
# moc, rcc and uic match the target libraries.
apt-get source -qq --download-only "qt6-base=$qt_version" >&2 \
    || { apt-get update -qq >&2; apt-get source -qq --download-only "qt6-base=$qt_version" >&2; }
dpkg-source -x qt6-base_*.dsc qtbase >&2
cd qtbase
# With Direct2D off the windows plugin must not use the DirectWrite font
# database either; QtGui builds it only when both are on.
patch -p1 < "$here/qt-direct2d.patch" >&2

mkdir -p ../build
cd ../build
../qtbase/configure -prefix "$prefix" "${configure_options[@]}" \
    -- -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_TOOLCHAIN_FILE="$here/../../cmake/mingw-w64.cmake" >&2
cmake --build . --parallel >&2
cmake --install . >&2
touch "$prefix/.complete"
cd /
rm -rf "$work"
echo "$prefix"
