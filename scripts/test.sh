#!/usr/bin/env bash
# Builds everything and runs every test under Wine and Xvfb.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$OEMUI_ROOT"
oemui_install_packages
oemui_build
oemui_prepare_prefix
# Real vendor PPDs for the emulator's reader test (skipped when unavailable).
"$OEMUI_ROOT/scripts/vendor-ppds.sh" "$OEMUI_BUILD_DIR/vendor-ppds" || echo "== no vendor PPDs: their test is skipped" >&2
echo "== running the tests"
oemui_with_wine ctest --test-dir "$OEMUI_BUILD_DIR" --output-on-failure "$@"
