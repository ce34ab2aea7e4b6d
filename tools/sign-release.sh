#!/usr/bin/env bash
# Signs a Windows program (Authenticode, SHA-256) with osslsigncode and checks the signature.
#
#   sign-release.sh EXE CERT KEY [CHAIN]
#
# CERT is the code-signing certificate (PEM), KEY its private key (PEM), CHAIN the PEM file of
# the CA certificates above CERT, up to and including the root. The signature carries CERT and
# CHAIN, so that Windows can build the chain without fetching anything. The signed program is
# then verified against CHAIN's root (without CHAIN: against the host's CA bundle); EXE is
# replaced only when that succeeds, and left as it was on any failure.
set -Eeuo pipefail

if [ $# -lt 3 ] || [ $# -gt 4 ]; then
  echo "usage: sign-release.sh EXE CERT KEY [CHAIN]" >&2
  exit 2
fi
exe=$1 cert=$2 key=$3 chain=${4:-}
for file in "$exe" "$cert" "$key" ${chain:+"$chain"}; do
  [ -f "$file" ] || { echo "sign-release: no such file: $file" >&2; exit 1; }
done
command -v osslsigncode >/dev/null || { echo "sign-release: osslsigncode is not installed" >&2; exit 1; }

cafile=${chain:-/etc/ssl/certs/ca-certificates.crt}
[ -f "$cafile" ] || { echo "sign-release: no CA file to verify against: $cafile" >&2; exit 1; }

work=$(mktemp -d "$(dirname "$exe")/.sign.XXXXXX")
trap 'rm -rf "$work"' EXIT
cat "$cert" ${chain:+"$chain"} > "$work/certs.pem"

log=$work/log
if ! osslsigncode sign -certs "$work/certs.pem" -key "$key" -h sha256 -n "Inkvane Setup" \
     -in "$exe" -out "$work/signed.exe" >"$log" 2>&1; then
  echo "sign-release: signing $exe failed:" >&2
  cat "$log" >&2
  exit 1
fi
# No revocation lists: the signature is checked against the CA, as the installer checks its
# package (WinVerifyTrust without a revocation check).
if ! osslsigncode verify -in "$work/signed.exe" -CAfile "$cafile" -ignore-crl >"$log" 2>&1; then
  echo "sign-release: the signed copy of $exe does not verify against $cafile; $exe is unchanged:" >&2
  cat "$log" >&2
  exit 1
fi
chmod --reference="$exe" "$work/signed.exe"
mv -f "$work/signed.exe" "$exe"
echo "sign-release: signed and verified $exe, $(openssl x509 -in "$cert" -noout -subject)"
