#!/usr/bin/env bash
# Driver packages: builds when needed, then writes one package per model
# folder under models/ into $OEMUI_BUILD_DIR/packages/<model>/: the INF
# generated from the model's files, the model files, OEMUI.DLL and the SNMP
# network library under the name the plug-in gives it (OEMUN.DLL).
#   scripts/package.sh [--sign PFX [--password-file FILE]]
# --sign signs both DLLs of every package with Authenticode (osslsigncode).
# The catalog (Inf2Cat, signtool) can only be made on Windows: see README.md.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$OEMUI_ROOT"
pfx="" password_file=""
while [ $# -gt 0 ]; do
  case "$1" in
    --sign) pfx=${2:?--sign needs a .pfx file}; shift 2 ;;
    --password-file) password_file=${2:?--password-file needs a file}; shift 2 ;;
    *) echo "usage: scripts/package.sh [--sign PFX [--password-file FILE]]" >&2; exit 2 ;;
  esac
done
[ -z "$password_file" ] || [ -n "$pfx" ] || { echo "--password-file goes with --sign" >&2; exit 2; }
[ -z "$pfx" ] || [ -f "$pfx" ] || { echo "no such certificate file: $pfx" >&2; exit 1; }
oemui_install_packages
oemui_build
oemui_prepare_prefix
out="$OEMUI_BUILD_DIR/packages"
rm -rf "$out"
mkdir -p "$out"
models=()
for dir in "$OEMUI_ROOT"/models/*/; do models+=("${dir%/}"); done
oemui_with_wine "$OEMUI_ROOT/scripts/wine-exec.sh" "$OEMUI_BUILD_DIR/bin/oemuihost.exe" package "$out" "${models[@]}" \
  --dll "$OEMUI_BUILD_DIR/package/OEMUI.DLL" --netlib "$OEMUI_BUILD_DIR/package/OEMUN.DLL"
if [ -n "$pfx" ]; then
  "$OEMUI_ROOT/scripts/sign-dlls.sh" "$pfx" "$password_file" "$out"/*/*.DLL
fi
for dir in "$out"/*/; do
  printf '%s\t%s bytes\n' "${dir%/}" "$(cat "$dir"* | wc -c)"
done
