#!/usr/bin/env bash
# Benchmarks the SNMP network library: starts the test agents on 127.0.0.1,
# runs bench_netlib under Wine, stops the agents. Build first (scripts/test.sh
# or cmake --build build).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$OEMUI_ROOT"
oemui_prepare_prefix
oemui_with_wine python3 tests/snmp/agents.py run "$OEMUI_BUILD_DIR/snmp-agents" -- \
  "$OEMUI_ROOT/scripts/wine-exec.sh" "$OEMUI_BUILD_DIR/bin/bench_netlib.exe"
