#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest (the cross build's emulator).
# Wine hides QT_* variables from Windows programs and hands them WINEQT_* as
# QT_* instead, so each QT_* variable is passed on under that name.
set -euo pipefail
for name in $(compgen -e); do
    [[ $name == QT_* ]] && export "WINE$name=${!name}"
done
# Qt Test under Wine would log to the debugger channel, which nobody reads.
export WINEQT_FORCE_STDERR_LOGGING=1
# The offscreen platform draws with the prefix's fonts (see wine-prefix.sh).
export WINEQT_QPA_FONTDIR='C:\windows\Fonts'

export WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$@"
