#!/usr/bin/env bash
# Retakes every picture of the README: plays the scenarios of
# docs/screenshots/ in a prefix at 96 DPI and in one at 144 DPI (150 %
# scaling), and copies what they take into docs/screenshots/ (NAME.png at
# 96 DPI, NAME-144dpi.png at 144 DPI).
#
# Usage: scripts/screenshots.sh [96|144]...   (both when none is given)
#
# Each DPI has its own prefix beside the build tree's test prefix
# (wineprefix-shots-96, wineprefix-shots-144), so the pictures can be taken
# while the tests run. A scenario that fails stops the script: look at its
# report in the build tree (screenshots-DPI-NAME.log).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$OEMUI_ROOT"
oemui_build

scenarios=(emulator job_options troubleshooting japanese)
shots="$OEMUI_ROOT/docs/screenshots"

take() {
  local dpi=$1 suffix=$2 scn log temp shot name
  export WINEPREFIX="$OEMUI_BUILD_DIR/wineprefix-shots-$dpi"
  oemui_prepare_dpi_prefix "$WINEPREFIX" "$dpi"
  temp="$WINEPREFIX/drive_c/users/$(whoami)/Temp"
  rm -f "$temp"/oemui-shot-*.png
  for scn in "${scenarios[@]}"; do
    log="$OEMUI_BUILD_DIR/screenshots-$dpi-$scn.log"
    echo "== $dpi DPI: $scn" >&2
    if ! oemui_with_wine "$OEMUI_ROOT/scripts/wine-exec.sh" "$OEMUI_BUILD_DIR/bin/oemuihost.exe" \
        run "docs/screenshots/$scn.scn" >"$log" 2>&1; then
      grep -E "error|expected" "$log" | head -5 >&2
      echo "== $scn failed at $dpi DPI (report: $log)" >&2
      return 1
    fi
  done
  for shot in "$temp"/oemui-shot-*.png; do
    name=$(basename "$shot" .png)
    name=${name#oemui-shot-}
    cp "$shot" "$shots/$name$suffix.png"
    echo "   $name$suffix.png $(identify -format '%wx%h' "$shot" 2>/dev/null)" >&2
  done
}

dpis=("$@")
[ ${#dpis[@]} -gt 0 ] || dpis=(96 144)
for dpi in "${dpis[@]}"; do
  case "$dpi" in
    96) take 96 "" ;;
    144) take 144 -144dpi ;;
    *) echo "unknown DPI $dpi (96 or 144)" >&2; exit 2 ;;
  esac
done
