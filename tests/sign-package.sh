#!/usr/bin/env bash
# Signs the release package with a throwaway self-signed certificate and
# verifies the signature of each packaged program. A time server that does
# not answer must fail the signing, not leave a signature without timestamp.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=Vorlund Test Signing" -days 2 \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout pass:geheim \
  -out "$work/sign.pfx"
VORLUND_SIGN_PFX="$work/sign.pfx" VORLUND_SIGN_PASSWORD=geheim \
  cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log"
mkdir "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$work"/out/vorlund-*-win64.zip)
for program in vorlund.exe vorlundcheck.exe vorlundpublish.exe; do
  osslsigncode verify -CAfile "$work/cert.pem" -in "$work/zip/$program"
done
if VORLUND_SIGN_PFX="$work/sign.pfx" VORLUND_SIGN_PASSWORD=geheim \
  VORLUND_SIGN_TIMESTAMP_URL=http://127.0.0.1:9/ \
  cpack --config "$build/CPackConfig.cmake" -B "$work/out-ts" >"$work/cpack-ts.log" 2>&1; then
  echo "signing with an unreachable time server succeeded" >&2
  exit 1
fi
tr -s ' \n' '  ' <"$work/cpack-ts.log" | grep -q "Vorlund: signing .* failed"
