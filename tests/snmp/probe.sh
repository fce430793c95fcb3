#!/usr/bin/env bash
# Runs "oemuihost probe" against the one agent agents.py started:
#   agents.py run DIR --only PROFILE -- probe.sh BUILD-DIR [probe arguments]
set -euo pipefail
build=$1
shift
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
exec "$here/../../scripts/wine-exec.sh" "$build/bin/oemuihost.exe" probe 127.0.0.1 --udp-port "${OEMUN_TEST_AGENTS##*:}" "$@"
