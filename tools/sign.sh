#!/bin/bash
# Signs Windows binaries in place with an Authenticode signature.
#   SETUP_SIGN_PKCS12         the PKCS#12 file: the code-signing certificate and its key
#   SETUP_SIGN_PASSWORD_FILE  a file that holds its password, or else
#   SETUP_SIGN_PASSWORD       the password itself; neither reaches a command line
#   SETUP_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server (optional): the
#                             signature then stays valid after the certificate expires
#   SETUP_SIGN_DESCRIPTION    the program name the signature carries (optional)
# Usage: tools/sign.sh FILE...
set -euo pipefail
: "${SETUP_SIGN_PKCS12:?names no PKCS#12 file}"
options=(-pkcs12 "$SETUP_SIGN_PKCS12" -h sha256)
if [ -n "${SETUP_SIGN_PASSWORD_FILE:-}" ]; then
  options+=(-readpass "$SETUP_SIGN_PASSWORD_FILE")
elif [ -n "${SETUP_SIGN_PASSWORD:-}" ]; then
  options+=(-readpass -)
else
  options+=(-pass "")
fi
[ -z "${SETUP_SIGN_DESCRIPTION:-}" ] || options+=(-n "$SETUP_SIGN_DESCRIPTION")
[ -z "${SETUP_SIGN_TIMESTAMP_URL:-}" ] || options+=(-ts "$SETUP_SIGN_TIMESTAMP_URL")

for file in "$@"; do
  signed="$file.signing"
  rm -f "$signed"
  if ! printf '%s' "${SETUP_SIGN_PASSWORD:-}" |
      osslsigncode sign "${options[@]}" -in "$file" -out "$signed" >/dev/null; then
    rm -f "$signed"
    echo "sign.sh: could not sign $file" >&2
    exit 1
  fi
  chmod --reference="$file" "$signed"
  mv -f "$signed" "$file"
done
