#!/usr/bin/env bash
# Writes a fixed sample of real PPDs into a folder for the emulator's reader
# test: files nobody here wrote, from many makers, taken from Debian's
# multi-maker collection foomatic-db-compressed-ppds (installed when missing).
# The collection is one compressed archive behind a CUPS driver program that
# lists its PPDs and writes out one at a time.
#
# The sample is the same on every machine with the same package version: the
# list is sorted, grouped by maker, and the makers are taken in turns, each
# turn giving every maker that still has files its next file from an evenly
# spread set, until COUNT files are chosen.
# usage: scripts/sample-ppds.sh OUTDIR [COUNT]
set -euo pipefail
out="$1"
count="${2:-160}"
per_maker=8
driver=/usr/lib/cups/driver/foomatic-db-compressed-ppds
if [ ! -x "$driver" ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "== installing foomatic-db-compressed-ppds" >&2
  $sudo apt-get update -qq || true
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends foomatic-db-compressed-ppds >/dev/null
fi

# One line per PPD: URI, a tab, the maker (the list's fields are quoted).
chosen=$("$driver" list | awk -F'"' 'NF >= 5 && $2 ~ /\.ppd$/ { print $2 "\t" $4 }' | LC_ALL=C sort -u |
  awk -F'\t' -v count="$count" -v per="$per_maker" '
    { if (!($2 in n)) makers[++m] = $2; uri[$2, n[$2]++] = $1 }
    END {
      # Makers in a fixed order: the first time each appears in the sorted list.
      taken = 0
      for (turn = 0; turn < per && taken < count; ++turn)
        for (k = 1; k <= m && taken < count; ++k) {
          mk = makers[k]; total = n[mk]; want = total < per ? total : per
          if (turn >= want) continue
          print uri[mk, int(turn * total / want)] "\t" mk
          ++taken
        }
    }')
[ -n "$chosen" ] || { echo "== the collection lists no PPDs" >&2; exit 1; }

# The list of what the folder should hold; an unchanged list means it is done.
manifest="$out/sample.txt"
if [ -f "$manifest" ] && [ "$(cat "$manifest")" = "$chosen" ]; then
  exit 0
fi
mkdir -p "$out"
rm -f "$out"/*.ppd "$manifest"
# Written under their own file names, two at a time (each call unpacks the
# archive up to its file); a file the program cannot give is left out.
cut -f1 <<< "$chosen" | xargs -P 2 -I URI sh -c \
  'name=$(basename "$3"); "$1" cat "$3" > "$2/$name" 2>/dev/null || rm -f "$2/$name"' sh "$driver" "$out" URI
printf '%s\n' "$chosen" > "$manifest"
echo "== $(ls "$out"/*.ppd | wc -l) sample PPDs of $(cut -f2 <<< "$chosen" | sort -u | wc -l) makers in $out" >&2
