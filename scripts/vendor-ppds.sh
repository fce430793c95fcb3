#!/usr/bin/env bash
# Writes real vendor PPDs into a folder for the emulator's reader test: the
# LaserJet PostScript PPDs that Debian's printer-driver-postscript-hp package
# generates (the package is installed when missing). Data nobody here wrote.
# usage: scripts/vendor-ppds.sh OUTDIR [COUNT]
set -euo pipefail
out="$1"
count="${2:-60}"
driver=/usr/lib/cups/driver/postscript-hp
if [ ! -x "$driver" ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "== installing printer-driver-postscript-hp" >&2
  $sudo apt-get update -qq || true
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends printer-driver-postscript-hp >/dev/null
fi
if [ -f "$out/hp-color_laserjet_9500_mfp-ps.ppd" ]; then
  exit 0
fi
mkdir -p "$out"
# The colour LaserJet 9500 MFP is always among them: its last group follows
# a comment line that ends with a quote.
names=$( { "$driver" list | grep -o '"postscript-hp:0/ppd/hplip/HP/hp-[^"]*laserjet[^"]*-ps\.ppd"' | tr -d '"' | sort -u | head -n $((count - 1));
           echo "postscript-hp:0/ppd/hplip/HP/hp-color_laserjet_9500_mfp-ps.ppd"; } | sort -u)
for uri in $names; do
  "$driver" cat "$uri" > "$out/$(basename "$uri")" 2>/dev/null || rm -f "$out/$(basename "$uri")"
done
echo "== $(ls "$out"/*.ppd | wc -l) vendor PPDs in $out" >&2
