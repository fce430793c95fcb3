#!/usr/bin/env bash
# Plays the Troubleshooting scenarios and copies the pictures they take
# (page with and without the alert group, alert settings, About; left to
# right and Hebrew) into docs/screenshots/ for the README.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$OEMUI_ROOT"
oemui_build
oemui_prepare_prefix
# Wine draws frames and title bars itself without a window manager.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w
temp="$WINEPREFIX/drive_c/users/$(whoami)/Temp"
for scn in talix_c500_troubleshooting talix_c500_troubleshooting_variants talix_c500_troubleshooting_hebrew; do
  oemui_with_wine "$OEMUI_ROOT/scripts/wine-exec.sh" "$OEMUI_BUILD_DIR/bin/oemuihost.exe" run "host/scenarios/$scn.scn" >/dev/null
done
for shot in troubleshooting troubleshooting-no-alerts alert-settings about; do
  for suffix in "" -hebrew; do
    cp "$temp/oemuihost-$shot$suffix.png" "docs/screenshots/troubleshooting-$shot$suffix.png"
  done
done
mv docs/screenshots/troubleshooting-troubleshooting.png docs/screenshots/troubleshooting-page.png
mv docs/screenshots/troubleshooting-troubleshooting-hebrew.png docs/screenshots/troubleshooting-page-hebrew.png
mv docs/screenshots/troubleshooting-troubleshooting-no-alerts.png docs/screenshots/troubleshooting-page-no-alerts.png
mv docs/screenshots/troubleshooting-troubleshooting-no-alerts-hebrew.png docs/screenshots/troubleshooting-page-no-alerts-hebrew.png
