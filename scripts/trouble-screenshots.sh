#!/usr/bin/env bash
# Makes the Troubleshooting page's pictures for the README: runs the
# screenshot test of troubleshooting_tests with window frames drawn by Wine,
# then converts the bitmaps to PNG in docs/screenshots/.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$OEMUI_ROOT"
oemui_build
oemui_prepare_prefix
out="$OEMUI_ROOT/docs/screenshots"
tmp=$(mktemp -d)
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
rc=0
OEMUI_SCREENSHOT_DIR="Z:${tmp//\//\\}" oemui_with_wine "$OEMUI_ROOT/scripts/wine-exec.sh" \
  "$OEMUI_BUILD_DIR/bin/troubleshooting_tests.exe" --gtest_filter='PageTest.Screenshots' || rc=$?
wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Decorated /f >/dev/null 2>&1
for f in "$tmp"/*.bmp; do
  [ -e "$f" ] || continue
  convert "$f" "$out/$(basename "${f%.bmp}").png"
done
rm -rf "$tmp"
exit $rc
