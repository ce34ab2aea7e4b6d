#!/usr/bin/env bash
# Signs a Windows program (Authenticode, SHA-256) with osslsigncode, time-stamped, and checks
# the signature.
#
#   sign-release.sh --timestamp URL [--timestamp-ca FILE] [--timeout SECONDS] EXE CERT KEY [CHAIN]
#   sign-release.sh --no-timestamp EXE CERT KEY [CHAIN]       (tests and local builds only)
#
# CERT is the code-signing certificate (PEM), KEY its private key (PEM), CHAIN the PEM file of
# the CA certificates above CERT, up to and including the root. The signature carries CERT and
# CHAIN, so that Windows can build the chain without fetching anything.
#
# URL is an RFC 3161 time-stamping server (http or https: its reply is signed itself). Its time
# stamp in the signature says when the program was signed, so that the signature stays valid
# after CERT expires; without one, Windows takes it for expired from that day on. The server
# must answer within SECONDS (default 60), else the signing fails.
#
# The signed program is then verified against CHAIN's root (without CHAIN: against the host's
# CA bundle), and its time stamp against FILE (default: the host's CA bundle); EXE is replaced
# only when both succeed, and left as it was on any failure.
set -Eeuo pipefail

usage() {
  echo "usage: sign-release.sh --timestamp URL [--timestamp-ca FILE] [--timeout SECONDS] EXE CERT KEY [CHAIN]" >&2
  echo "       sign-release.sh --no-timestamp EXE CERT KEY [CHAIN]" >&2
  exit 2
}

bundle=/etc/ssl/certs/ca-certificates.crt
tsa_url="" tsa_ca=$bundle timeout=60 no_timestamp=0
while [ $# -gt 0 ]; do
  case $1 in
    --timestamp) [ $# -ge 2 ] || usage; tsa_url=$2; shift 2 ;;
    --timestamp-ca) [ $# -ge 2 ] || usage; tsa_ca=$2; shift 2 ;;
    --timeout) [ $# -ge 2 ] || usage; timeout=$2; shift 2 ;;
    --no-timestamp) no_timestamp=1; shift ;;
    --) shift; break ;;
    -*) usage ;;
    *) break ;;
  esac
done
[ $# -ge 3 ] && [ $# -le 4 ] || usage
exe=$1 cert=$2 key=$3 chain=${4:-}

if [ -z "$tsa_url" ] && [ $no_timestamp = 0 ]; then
  echo "sign-release: a time-stamping server is needed: --timestamp URL (an RFC 3161 server)." >&2
  echo "  A signature without a time stamp fails as expired once the certificate expires." >&2
  echo "  For tests and local builds only: --no-timestamp." >&2
  exit 2
fi
if [ -n "$tsa_url" ] && [ $no_timestamp = 1 ]; then
  echo "sign-release: --timestamp and --no-timestamp exclude each other" >&2
  exit 2
fi
if [ -n "$tsa_url" ] && ! [[ $tsa_url =~ ^https?://[^[:space:]]+$ ]]; then
  echo "sign-release: the time-stamping server must be an http or https address: $tsa_url" >&2
  exit 2
fi
[[ $timeout =~ ^[1-9][0-9]*$ ]] || { echo "sign-release: --timeout takes whole seconds: $timeout" >&2; exit 2; }
for file in "$exe" "$cert" "$key" ${chain:+"$chain"} ${tsa_url:+"$tsa_ca"}; do
  [ -f "$file" ] || { echo "sign-release: no such file: $file" >&2; exit 1; }
done
command -v osslsigncode >/dev/null || { echo "sign-release: osslsigncode is not installed" >&2; exit 1; }

cafile=${chain:-$bundle}
[ -f "$cafile" ] || { echo "sign-release: no CA file to verify against: $cafile" >&2; exit 1; }

work=$(mktemp -d "$(dirname "$exe")/.sign.XXXXXX")
trap 'rm -rf "$work"' EXIT
cat "$cert" ${chain:+"$chain"} > "$work/certs.pem"

if [ $no_timestamp = 1 ]; then
  echo "sign-release: WARNING: signing $exe without a time stamp: its signature fails as expired" \
       "once the certificate expires. Never release a program signed so." >&2
  stamp=()
else
  stamp=(-ts "$tsa_url")
fi

log=$work/log
code=0
timeout -k 5 "$timeout" osslsigncode sign -certs "$work/certs.pem" -key "$key" -h sha256 \
  -n "Inkvane Setup" "${stamp[@]}" -in "$exe" -out "$work/signed.exe" >"$log" 2>&1 || code=$?
if [ $code -ne 0 ]; then
  if [ $code -eq 124 ] || [ $code -eq 137 ]; then
    echo "sign-release: the time-stamping server $tsa_url did not answer within ${timeout}s;" \
         "$exe is unchanged" >&2
  else
    echo "sign-release: signing $exe failed${tsa_url:+ (time-stamping server $tsa_url)}; $exe is unchanged:" >&2
  fi
  cat "$log" >&2
  exit 1
fi
# No revocation lists: the signature is checked against the CA, as the installer checks its
# package (WinVerifyTrust without a revocation check). osslsigncode verify passes a signature
# whose time stamp does not verify (it then checks the signature at the present time): the
# time stamp's own verdict is read from its report.
verify=(osslsigncode verify -in "$work/signed.exe" -CAfile "$cafile" -ignore-crl)
[ $no_timestamp = 1 ] || verify+=(-TSA-CAfile "$tsa_ca")
if ! "${verify[@]}" >"$log" 2>&1; then
  echo "sign-release: the signed copy of $exe does not verify against $cafile; $exe is unchanged:" >&2
  cat "$log" >&2
  exit 1
fi
stamped=""
if [ $no_timestamp = 0 ]; then
  if ! grep -qx 'Timestamp Server Signature verification: ok' "$log"; then
    echo "sign-release: the time stamp in the signed copy of $exe does not verify against" \
         "$tsa_ca; $exe is unchanged:" >&2
    cat "$log" >&2
    exit 1
  fi
  stamped=", time-stamped $(sed -n 's/^[[:space:]]*Timestamp time: //p' "$log" | head -n1) by $tsa_url"
fi
chmod --reference="$exe" "$work/signed.exe"
mv -f "$work/signed.exe" "$exe"
echo "sign-release: signed and verified $exe, $(openssl x509 -in "$cert" -noout -subject)$stamped"
