#!/usr/bin/env bash
# The main job: builds everything, installs the brand-1 sample model
# (models/talix_c500) as a printer, plays its printing-preferences scenario
# in the driver-core emulator against the plug-in and prints the report.
# Extra arguments go to "oemuihost run" (for example --json).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$OEMUI_ROOT"
oemui_install_packages
oemui_build
oemui_prepare_prefix
host=("$OEMUI_ROOT/scripts/wine-exec.sh" "$OEMUI_BUILD_DIR/bin/oemuihost.exe")
printer="Talix C500 Colour"
oemui_with_wine bash -c '
  host=("${@:1:2}"); printer=$3; shift 3
  "${host[@]}" install models/talix_c500 --name "$printer" >&2 || exit 1
  "${host[@]}" run host/scenarios/talix_c500_preferences.scn --printer "$printer" "$@"
  rc=$?
  "${host[@]}" uninstall "$printer" >/dev/null
  exit $rc' run "${host[@]}" "$printer" "$@"
