#!/usr/bin/env bash
# The fault-injection sweep of the emulator (oemuihost sweep):
#   scripts/sweep.sh [OPTIONS...]       builds, then replays every sample
#                                       scenario (host/scenarios/*.scn) with
#                                       every call of every fallible import
#                                       failing in turn (--calls all)
#   scripts/sweep.sh --ci [OPTIONS...]  the bounded sweep CTest runs: the first
#                                       and last call of each import over the
#                                       scenarios in host/scenarios/sweep/
# Other options go to "oemuihost sweep" (--imports LIST, --calls ..., --json).
# Exit code 1 when a replay crashed, hung, tore a write or leaked.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
ci=0
if [ "${1:-}" = "--ci" ]; then ci=1; shift; fi
if [ $ci -eq 1 ]; then
  scenarios=("$root"/host/scenarios/sweep/*.scn)
  calls=(--calls first,last)
else
  source "$here/common.sh"
  oemui_build
  oemui_prepare_prefix
  scenarios=("$root"/host/scenarios/*.scn)
  calls=(--calls all)
fi
: "${OEMUI_BUILD_DIR:=$root/build}"
export OEMUI_BUILD_DIR WINEPREFIX="${WINEPREFIX:-$OEMUI_BUILD_DIR/wineprefix}"
# Wine's Z: drive is the Unix root (winepath would start a wineserver
# without the display before the one below).
args=()
for s in "${scenarios[@]}"; do args+=("Z:${s//\//\\}"); done
cmd=("$here/wine-exec.sh" "$OEMUI_BUILD_DIR/bin/oemuihost.exe" sweep "${args[@]}" "${calls[@]}" "$@")
if [ -n "${DISPLAY:-}" ]; then
  exec "${cmd[@]}"
fi
# Dialogs need a display and one warmed-up wineserver.
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$here/with-wine.sh" "${cmd[@]}"
