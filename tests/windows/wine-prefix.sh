#!/usr/bin/env bash
# Makes a fresh Wine prefix in the folder given, ready for Qt programs in an
# X server without a window manager: Windows 10, Wine's own fonts, unmanaged
# windows. Needs no X server itself.
set -euo pipefail
prefix="$1"

export WINEPREFIX="$prefix" WINEDEBUG=-all
# No Mono or Gecko: nothing here uses .NET or HTML, and fetching them would
# need the network.
export WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$prefix"
mkdir -p "$prefix"
wineboot --init >/dev/null 2>&1
wineserver -w
# Debian's Wine looks for fonts only in the prefix's own Fonts folder; without
# them Qt falls back to a font that draws no "0" or "...".
cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1
# Font smoothing as Windows has it by default, ClearType. Without it Qt draws
# each glyph into an image just as large as the box that GDI reports, and
# Wine's GDI draws some glyphs a pixel beyond it: "[" loses its top bar.
wine reg add 'HKCU\Control Panel\Desktop' /v FontSmoothing /d 2 /f >/dev/null 2>&1
wine reg add 'HKCU\Control Panel\Desktop' /v FontSmoothingType /t REG_DWORD /d 2 /f >/dev/null 2>&1
# Without a window manager Wine waits about two seconds whenever a managed
# window hides; unmanaged windows hide at once.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w
