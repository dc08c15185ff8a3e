#!/bin/sh
# Authenticode-signs one Windows file in place with osslsigncode.
# Usage: installer/sign.sh FILE   with VL_SIGN_CERT (PEM or DER certificate
# chain) and VL_SIGN_KEY (private key) naming files, VL_SIGN_PASS the key's
# password when it has one, VL_SIGN_URL the page named in the signature.
# Without a certificate and a key it leaves the file unsigned and says so.
set -eu
file=$1
if [ -z "${VL_SIGN_CERT:-}" ] || [ -z "${VL_SIGN_KEY:-}" ]; then
  echo "sign.sh: no certificate given, $file stays unsigned" >&2
  exit 0
fi
tmp="$file.signing"
rm -f "$tmp"
set -- -certs "$VL_SIGN_CERT" -key "$VL_SIGN_KEY" -h sha256 -n Vantorel
[ -n "${VL_SIGN_PASS:-}" ] && set -- "$@" -pass "$VL_SIGN_PASS"
[ -n "${VL_SIGN_URL:-}" ] && set -- "$@" -i "$VL_SIGN_URL"
osslsigncode sign "$@" -in "$file" -out "$tmp" >/dev/null
mv -f "$tmp" "$file"
