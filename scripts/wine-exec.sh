#!/usr/bin/env bash
# Runs one Windows executable under Wine in the build tree's private prefix.
# Used by CTest (CMAKE_CROSSCOMPILING_EMULATOR) and by the run scripts.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
: "${OEMUI_BUILD_DIR:=$here/../build}"
export WINEPREFIX="${WINEPREFIX:-$OEMUI_BUILD_DIR/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
