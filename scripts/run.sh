#!/usr/bin/env bash
# The main job: builds everything and runs the driver-core emulator against
# the plug-in, printing what the plug-in answers.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$OEMUI_ROOT"
oemui_install_packages
oemui_build
oemui_prepare_prefix
oemui_with_wine "$OEMUI_ROOT/scripts/wine-exec.sh" "$OEMUI_BUILD_DIR/bin/oemuihost.exe" info "$@"
