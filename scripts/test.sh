#!/usr/bin/env bash
# Builds everything and runs every test under Wine and Xvfb.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$OEMUI_ROOT"
oemui_install_packages
oemui_build
oemui_prepare_prefix
# The About box is also tested at 150 % scaling, in a prefix of its own.
oemui_prepare_dpi_prefix "$OEMUI_BUILD_DIR/wineprefix-144dpi" 144
# A fixed sample of real PPDs for the emulator's reader test (skipped when unavailable).
"$OEMUI_ROOT/scripts/sample-ppds.sh" "$OEMUI_BUILD_DIR/sample-ppds" || echo "== no sample PPDs: their test is skipped" >&2
echo "== running the tests"
oemui_with_wine ctest --test-dir "$OEMUI_BUILD_DIR" --output-on-failure "$@"
