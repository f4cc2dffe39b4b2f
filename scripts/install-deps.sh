#!/usr/bin/env bash
# Installs the Debian 12 packages of the named sets, only those missing; the
# one place in the project that installs packages or changes apt's sources.
#
#   bash scripts/install-deps.sh [SET...]   (default: build)
#
#   build  build, install and run the program
#   test   build, plus what the install, window and icon checks use, and
#          setfacl and setfattr for the tests of access rights
#   bench  build, plus Google Benchmark and hyperfine
#   fuzz   build, plus clang and its libFuzzer runtime
#   tidy   build, plus clang-tidy
#   icon   what tools/make-icon.sh uses to remake the icons
#   windows  build, plus the MinGW-w64 cross compiler, Wine and the tools that
#          scripts/windows.sh uses to build Qt and test under Wine; and
#          Debian's source packages, where Qt's source for that build comes from
set -euo pipefail

build=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libvulkan-dev
    qt6-qpa-plugins qt6-translations-l10n
)

packages=()
sources=no
for set in "${@:-build}"; do
    case $set in
        build) packages+=("${build[@]}") ;;
        test) packages+=("${build[@]}" desktop-file-utils xvfb xauth xdotool icoutils imagemagick acl attr) ;;
        bench) packages+=("${build[@]}" libbenchmark-dev hyperfine) ;;
        fuzz) packages+=("${build[@]}" clang-14 libclang-rt-14-dev) ;;
        tidy) packages+=("${build[@]}" clang-tidy-14) ;;
        icon) packages+=(icoutils imagemagick librsvg2-bin) ;;
        windows)
            packages+=("${build[@]}" g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
                dpkg-dev wine wine64 fonts-wine xvfb xauth xdotool x11-apps netpbm icoutils attr
                libxml2-utils imagemagick)
            sources=yes
            ;;
        *)
            echo "install-deps: unknown package set '$set'" >&2
            exit 2
            ;;
    esac
done

missing=()
for package in $(printf '%s\n' "${packages[@]}" | sort -u); do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing+=("$package")
done

# Waits for another apt-get (a second script, an unattended upgrade) to end.
apt=(apt-get -qq -o DPkg::Lock::Timeout=600)

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${apt[@]}" update
    "${apt[@]}" install -y --no-install-recommends "${missing[@]}"
fi

# scripts/windows/qt.sh takes Qt's source from the same archive as the binary
# packages, through a deb-src entry beside Debian's own.
if [[ $sources == yes ]] && ! apt-cache showsrc qt6-base 2>/dev/null | grep -q '^Package: qt6-base'; then
    echo "Adding Debian's source packages to apt's sources"
    sed -n '/^Types:/,$p' /etc/apt/sources.list.d/debian.sources \
        | sed 's/^Types: deb$/Types: deb-src/' >/etc/apt/sources.list.d/pezzarium-src.sources
    "${apt[@]}" update
fi
