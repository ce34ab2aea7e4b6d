#!/usr/bin/env bash
# Makes the certificates that the tests and the demo use, with openssl, into OUTDIR.
# Nothing here is committed, and nothing is ever added to the host's trust store: the
# Wine harness trusts ca.der in its test prefixes only, and native clients name ca.pem.
#
#   make-test-pki.sh OUTDIR [CONTENT_HOST]   quick and silent when OUTDIR is complete already
#
# OUTDIR then holds (the key of each NAME.pem in NAME.key.pem; NAME.der is NAME.pem as DER):
#   ca.pem ca.key.pem ca.der         "Inkvane Test Root CA": the CA the test prefixes trust
#   localhost.pem                    TLS server certificate for localhost, from that CA
#   wrong-host.pem                   TLS server certificate for wrong-host.test, from that CA
#   untrusted-ca.pem untrusted-ca.der  "Inkvane Untrusted Test CA": trusted nowhere
#   untrusted-localhost.pem          TLS server certificate for localhost, from the untrusted CA
#   codesign-publisher.pem           code signing, CN "Inkvane Test Publisher", from the CA
#   codesign-other.pem               code signing, CN "Other Test Publisher", from the CA
#   codesign-untrusted.pem           code signing, CN "Inkvane Test Publisher" (the same
#                                    name as the publisher), from the untrusted CA
#   codesign-*-chain.pem             each code-signing certificate followed by its CA,
#                                    for osslsigncode -certs
# and, with CONTENT_HOST (a second name of this machine, which a redirect may lead to), made
# from the CAs above when missing or made for another name:
#   content-host.pem                 TLS server certificate for CONTENT_HOST, from the CA
#   untrusted-content-host.pem       TLS server certificate for CONTENT_HOST, from the untrusted CA
#   content-host.name                CONTENT_HOST
set -Eeuo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: make-test-pki.sh OUTDIR [CONTENT_HOST]" >&2
  exit 2
fi
out=$1
content_host=${2:-}
mkdir -p "$out"
out=$(cd "$out" && pwd)
has_content() { [ -z "$content_host" ] || [ "$(cat "$out/content-host.name" 2>/dev/null)" = "$content_host" ]; }
[ -f "$out/.complete" ] && has_content && exit 0

command -v openssl >/dev/null || { echo "make-test-pki: openssl is not installed" >&2; exit 1; }

# Several tests may ask at once; one makes the files, the others wait for it.
exec 9>"$out/.lock"
flock 9
[ -f "$out/.complete" ] && has_content && exit 0

work=$(mktemp -d "$out/.work.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'echo "make-test-pki: openssl failed (line $LINENO); nothing was written to $out" >&2' ERR
days=3650

key() {  # NAME
  openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$work/$1.key.pem" 2>/dev/null
}

ca() {  # NAME COMMON_NAME
  key "$1"
  openssl req -x509 -new -key "$work/$1.key.pem" -sha256 -days "$days" -subj "/O=Inkvane tests/CN=$2" \
    -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -out "$work/$1.pem"
  openssl x509 -in "$work/$1.pem" -outform DER -out "$work/$1.der"
}

leaf() {  # NAME ISSUER COMMON_NAME EXTENSIONS...
  local name=$1 issuer=$2 cn=$3
  shift 3
  key "$name"
  printf '%s\n' "basicConstraints=critical,CA:FALSE" "subjectKeyIdentifier=hash" \
    "authorityKeyIdentifier=keyid" "$@" > "$work/$name.ext"
  openssl req -new -key "$work/$name.key.pem" -subj "/O=Inkvane tests/CN=$cn" -out "$work/$name.csr"
  openssl x509 -req -in "$work/$name.csr" -CA "$work/$issuer.pem" -CAkey "$work/$issuer.key.pem" \
    -set_serial "0x$(openssl rand -hex 12)" -days "$days" -sha256 -extfile "$work/$name.ext" \
    -out "$work/$name.pem" 2>/dev/null
  rm -f "$work/$name.csr" "$work/$name.ext"
}

server() {  # NAME ISSUER HOST
  leaf "$1" "$2" "$3" "keyUsage=critical,digitalSignature,keyEncipherment" \
    "extendedKeyUsage=serverAuth" "subjectAltName=DNS:$3"
}

codesign() {  # NAME ISSUER COMMON_NAME
  leaf "$1" "$2" "$3" "keyUsage=critical,digitalSignature" "extendedKeyUsage=codeSigning"
  cat "$work/$1.pem" "$work/$2.pem" > "$work/$1-chain.pem"
}

if [ ! -f "$out/.complete" ]; then
  ca ca "Inkvane Test Root CA"
  ca untrusted-ca "Inkvane Untrusted Test CA"
  server localhost ca localhost
  server wrong-host ca wrong-host.test
  server untrusted-localhost untrusted-ca localhost
  codesign codesign-publisher ca "Inkvane Test Publisher"
  codesign codesign-other ca "Other Test Publisher"
  codesign codesign-untrusted untrusted-ca "Inkvane Test Publisher"
else
  # The CAs stay those that the test prefixes trust already.
  cp "$out"/{ca,untrusted-ca}{.pem,.key.pem} "$work"/
fi
if [ -n "$content_host" ]; then
  server content-host ca "$content_host"
  server untrusted-content-host untrusted-ca "$content_host"
  echo "$content_host" > "$work/content-host.name"
fi

chmod 600 "$work"/*.key.pem
mv -f "$work"/* "$out"/
touch "$out/.complete"
