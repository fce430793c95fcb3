#!/usr/bin/env bash
# Authenticode signing of a package's DLLs (scripts/sign-dlls.sh, which
# scripts/package.sh --sign runs) with a throwaway self-signed certificate:
# each DLL carries a well-formed signature that verifies against that
# certificate; an unsigned DLL and a wrong password are refused.
#   signing.sh BUILD-DIR
set -euo pipefail
build=$1
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work="$build/signing-test"
rm -rf "$work"
mkdir -p "$work/dlls"
cd "$work"
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
  -subj "/CN=OEMUI throwaway test signer" >/dev/null 2>&1
printf 'not-a-secret\n' > password
openssl pkcs12 -export -inkey key.pem -in cert.pem -out signer.pfx -passout file:password
cp "$build"/packages/talix_c500/*.DLL dlls/
dlls=(dlls/*.DLL)
[ ${#dlls[@]} -eq 2 ] || { echo "FAIL: expected the plug-in and the network library, found ${dlls[*]}"; exit 1; }

for dll in "${dlls[@]}"; do
  if osslsigncode verify -in "$dll" -CAfile cert.pem >/dev/null 2>&1; then
    echo "FAIL: unsigned $dll verifies"; exit 1
  fi
done
printf 'wrong\n' > wrong
cp "${dlls[0]}" wrong.DLL
if "$root/scripts/sign-dlls.sh" signer.pfx wrong wrong.DLL >/dev/null 2>&1; then
  echo "FAIL: a wrong password signs"; exit 1
fi

"$root/scripts/sign-dlls.sh" signer.pfx password "${dlls[@]}"
for dll in "${dlls[@]}"; do
  out=$(osslsigncode verify -in "$dll" -CAfile cert.pem 2>&1) || { echo "FAIL: $dll: $out"; exit 1; }
  grep -q "Message digest algorithm  : SHA256" <<<"$out" || { echo "FAIL: $dll is not signed with SHA-256: $out"; exit 1; }
  grep -q "Signature verification: ok" <<<"$out" || { echo "FAIL: $dll: $out"; exit 1; }
  grep -q "OEMUI throwaway test signer" <<<"$out" || { echo "FAIL: $dll names another signer: $out"; exit 1; }
  echo "ok: $dll"
done
