#!/usr/bin/env bash
# Plays an emulator scenario against the driver package (package/OEMUI.DLL
# with the SNMP OEMUN.DLL beside it) and the one agent agents.py started:
#   agents.py run DIR --only PROFILE -- run_scenario.sh BUILD-DIR SCENARIO [sweep OPTIONS...]
# With "sweep" the scenario is replayed by the fault-injection sweep instead,
# which then fails the SNMP library's own imports too.
# The package is copied so the library's settings (the agent's UDP port,
# short waits) stay out of package/.
set -euo pipefail
build=$1
scenario=$2
shift 2
port=${OEMUN_TEST_AGENTS##*:}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX="${WINEPREFIX:-$build/wineprefix}"
dir="$build/snmp-scenario"
mkdir -p "$dir"
cp "$build/package/OEMUI.DLL" "$build/package/OEMUN.DLL" "$dir/"
printf '[SNMP]\r\nPort=%s\r\n' "$port" > "$dir/OEMUN.INI"
command=run
if [ "${1:-}" = "sweep" ]; then command=sweep; shift; fi
exec "$here/../../scripts/wine-exec.sh" "$build/bin/oemuihost.exe" $command "$(winepath -w "$scenario")" \
  --dll "$(winepath -w "$dir/OEMUI.DLL")" "$@"
