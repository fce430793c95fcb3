#!/usr/bin/env bash
# Signs DLLs in place with Authenticode (SHA-256) through osslsigncode:
#   scripts/sign-dlls.sh PFX PASSWORD-FILE|"" DLL...
# The password file holds the .pfx password on its first line (empty: none).
# No time stamp: add one on a machine that reaches a time-stamp server
# (osslsigncode -ts URL), or the signature ends with the certificate.
set -euo pipefail
pfx=$1 password_file=$2
shift 2
command -v osslsigncode >/dev/null || {
  source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
  oemui_install_packages
}
pass=()
[ -z "$password_file" ] || pass=(-readpass "$password_file")
for dll in "$@"; do
  osslsigncode sign -pkcs12 "$pfx" "${pass[@]}" -h sha256 -n "$(basename "$dll")" \
    -in "$dll" -out "$dll.signed" >/dev/null
  mv "$dll.signed" "$dll"
  echo "signed $dll"
done
