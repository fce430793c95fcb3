#!/usr/bin/env bash
# The main job: builds everything, writes the driver package of every model
# (scripts/package.sh), installs the Talix C500 package from its INF as the
# print system installs a driver, plays the printing-preferences scenario in
# the driver-core emulator on that printer and prints the report. The first
# lines name the INF and the UI plug-in the session loaded.
# Extra arguments go to "oemuihost run" (for example --json).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$OEMUI_ROOT"
"$OEMUI_ROOT/scripts/package.sh" >&2
host=("$OEMUI_ROOT/scripts/wine-exec.sh" "$OEMUI_BUILD_DIR/bin/oemuihost.exe")
printer="Talix C500 Colour"
inf="$OEMUI_BUILD_DIR/packages/talix_c500/TLXC500.INF"
oemui_with_wine bash -c '
  host=("${@:1:2}"); printer=$3; inf=$4; shift 4
  "${host[@]}" uninstall "$printer" >/dev/null 2>&1
  # The install lines open the report; JSON output keeps stdout to itself.
  out=1; for a in "$@"; do [ "$a" != --json ] || out=2; done
  "${host[@]}" install "$(winepath -w "$inf")" --name "$printer" >&$out || exit 1
  "${host[@]}" run host/scenarios/talix_c500_preferences.scn --printer "$printer" "$@"
  rc=$?
  "${host[@]}" uninstall "$printer" >/dev/null
  exit $rc' run "${host[@]}" "$printer" "$inf" "$@"
