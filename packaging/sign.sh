#!/usr/bin/env bash
# Signs one Windows program file in place with osslsigncode (Authenticode,
# SHA-256), for package.sh and for the setup script's finalize steps.
#   TOLVARIN_SIGN_CERT          PKCS#12 file (.pfx/.p12) with the key and certificate
#   TOLVARIN_SIGN_PASSWORD      its password
#   TOLVARIN_SIGN_TIMESTAMP_URL (optional) an RFC 3161 time-stamping server
# The password reaches osslsigncode through a pipe, not its command line.
set -euo pipefail
file=$1
: "${TOLVARIN_SIGN_CERT:?not set}" "${TOLVARIN_SIGN_PASSWORD:?not set}"
args=(sign -pkcs12 "$TOLVARIN_SIGN_CERT" -readpass /dev/fd/3 -h sha256
  -n Tolvarin -i https://tolvarin.example.org/)
[ -n "${TOLVARIN_SIGN_TIMESTAMP_URL:-}" ] && args+=(-ts "$TOLVARIN_SIGN_TIMESTAMP_URL")
rm -f "$file.signed"
osslsigncode "${args[@]}" -in "$file" -out "$file.signed" >/dev/null 3< <(printf '%s' "$TOLVARIN_SIGN_PASSWORD")
mv -f "$file.signed" "$file"
