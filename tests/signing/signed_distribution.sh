#!/bin/bash
# A distribution signed with a throwaway code-signing certificate: each of its
# 15 programs and libraries carries a signature that the certificate
# verifies, and the signed programs still install and remove the agent.
# Usage: signed_distribution.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
root="$1"
build="$2"
prefix="${SETUP_WINEPREFIX:-$build/wineprefix}"
work="$(mktemp -d)"
dist="$prefix/drive_c/signed"
trap 'rm -rf "$work" "$dist"' EXIT

openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Setup signing check" \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.p12" -passout pass:throwaway
rm -rf "$dist"
cp -r "$build/dist" "$dist"
env -u SETUP_SIGN_PASSWORD_FILE -u SETUP_SIGN_TIMESTAMP_URL SETUP_SIGN_PKCS12="$work/cert.p12" \
  SETUP_SIGN_PASSWORD=throwaway "$root/tools/sign-dist.sh" "$dist"

shopt -s nocaseglob
binaries=("$dist"/*.exe "$dist"/*.dll)
[ ${#binaries[@]} -eq 15 ] || { echo "expected 15 binaries, found ${#binaries[@]}"; exit 1; }
for binary in "${binaries[@]}"; do
  osslsigncode verify -CAfile "$work/cert.pem" -in "$binary" >"$work/verify.txt" 2>&1 ||
    { cat "$work/verify.txt"; echo "not signed by the certificate: $binary"; exit 1; }
done

# The signed programs run: an SMS install and removal from the signed copy.
mif="$prefix/drive_c/windows/DORURE60.MIF"
for road in SMSINSTALL SMSUNINSTALL; do
  rm -f "$mif"
  (cd "$dist" && "$build/tools/wine-run" setup.exe "$road") || { echo "$road: exit code $?"; exit 1; }
  grep -q 'VALUE = "Success"' "$mif" || { echo "$road: no success in the status file"; exit 1; }
  if [ "$road" = SMSINSTALL ]; then
    cmp "$dist/KVASVR.EXE" "$prefix/drive_c/DORURE/KVASVR.EXE" || { echo "the signed service was not installed"; exit 1; }
  fi
done
[ ! -e "$prefix/drive_c/DORURE" ] || { echo "the removal left the agent's directory"; exit 1; }
echo "15 binaries signed by the throwaway certificate; signed install and removal succeeded"
