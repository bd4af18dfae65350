#!/bin/bash
# A copy of the distribution signed with a throwaway code-signing certificate:
# each of its 15 binaries is signed by it, and the signed programs still
# install and remove the agent.   Usage: signed_distribution.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
root="$1" build="$2"
prefix="${SETUP_WINEPREFIX:-$build/wineprefix}" work="$(mktemp -d)"
dist="$prefix/drive_c/signed"
trap 'rm -rf "$work" "$dist"' EXIT
fail() { echo "$*"; exit 1; }

openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Setup signing check" \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.p12" -passout pass:throwaway
rm -rf "$dist" && cp -r "$build/dist" "$dist"
env -u SETUP_SIGN_PASSWORD_FILE -u SETUP_SIGN_TIMESTAMP_URL SETUP_SIGN_PKCS12="$work/cert.p12" \
  SETUP_SIGN_PASSWORD=throwaway "$root/tools/sign-dist.sh" "$dist"

shopt -s nocaseglob
binaries=("$dist"/*.exe "$dist"/*.dll)
[ ${#binaries[@]} -eq 15 ] || fail "expected 15 binaries, found ${#binaries[@]}"
for binary in "${binaries[@]}"; do
  osslsigncode verify -CAfile "$work/cert.pem" -in "$binary" >/dev/null 2>&1 || fail "not signed by it: $binary"
done

mif="$prefix/drive_c/windows/DORURE60.MIF"
for road in SMSINSTALL SMSUNINSTALL; do
  rm -f "$mif"
  (cd "$dist" && "$build/tools/wine-run" setup.exe "$road") || fail "$road ended with exit code $?"
  grep -q 'VALUE = "Success"' "$mif" || fail "$road: no success in the status MIF"
done
