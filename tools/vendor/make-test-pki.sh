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
#   tsa.pem tsa-chain.pem            time stamping only (extended key usage critical), CN
#                                    "Inkvane Test Time Stamping", from the CA: the local
#                                    time-stamping server's (tools/release/timestamp_server.py)
#   past-ca.pem past-ca.der          "Inkvane Test Root CA 2020", valid from 2020-01-01 for ten
#                                    years from today; trusted only by the tests that ask for it
#   codesign-expired.pem             code signing, CN "Inkvane Test Publisher", from past-ca,
#                                    valid in 2020 only: expired today
#   past-tsa.pem past-tsa-chain.pem  time stamping only, from past-ca, valid from 2020-01-01:
#                                    time stamps from inside codesign-expired's validity
# and, with CONTENT_HOST (a second name of this machine, which a redirect may lead to), made
# from the CAs above when missing or made for another name:
#   content-host.pem                 TLS server certificate for CONTENT_HOST, from the CA
#   untrusted-content-host.pem       TLS server certificate for CONTENT_HOST, from the untrusted CA
#   content-host.name                CONTENT_HOST
# A folder made before the time-stamping files existed gets them added, its CA kept (the
# Wine prefixes trust it).
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
[ -f "$out/.complete" ] && [ -f "$out/.complete-timestamping" ] && has_content && exit 0

command -v openssl >/dev/null || { echo "make-test-pki: openssl is not installed" >&2; exit 1; }

# Several tests may ask at once; one makes the files, the others wait for it.
exec 9>"$out/.lock"
flock 9
[ -f "$out/.complete" ] && [ -f "$out/.complete-timestamping" ] && has_content && exit 0

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

timestamping=("keyUsage=critical,digitalSignature" "extendedKeyUsage=critical,timeStamping")

# A certificate valid from START to END (openssl ca dates, YYYYMMDDHHMMSSZ), issued by ISSUER
# or, when ISSUER is NAME, by itself: openssl x509 here cannot date a certificate back.
dated() {  # NAME ISSUER COMMON_NAME START END EXTENSIONS...
  local name=$1 issuer=$2 cn=$3 start=$4 end=$5 db=$work/$1.db
  shift 5
  key "$name"
  mkdir "$db"
  : > "$db/index.txt"
  printf '%s\n' "[ca]" "default_ca = dated" "[dated]" "database = $db/index.txt" \
    "new_certs_dir = $db" "rand_serial = yes" "default_md = sha256" "policy = any" \
    "unique_subject = no" "[any]" "organizationName = supplied" "commonName = supplied" > "$db/ca.cnf"
  printf '%s\n' "subjectKeyIdentifier=hash" "authorityKeyIdentifier=keyid" "$@" > "$db/ext"
  openssl req -new -key "$work/$name.key.pem" -subj "/O=Inkvane tests/CN=$cn" -out "$db/csr"
  local signer=(-cert "$work/$issuer.pem")
  [ "$issuer" = "$name" ] && signer=(-selfsign)
  openssl ca -batch -notext -config "$db/ca.cnf" "${signer[@]}" -keyfile "$work/$issuer.key.pem" \
    -startdate "$start" -enddate "$end" -extfile "$db/ext" -in "$db/csr" -out "$work/$name.pem" 2>/dev/null
  rm -rf "$db"
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
  chmod 600 "$work"/*.key.pem
  mv "$work"/* "$out"/
  touch "$out/.complete"
fi

# The content host's server certificates, from the CAs that the test prefixes trust already.
if ! has_content; then
  cp "$out"/{ca,untrusted-ca}{.pem,.key.pem} "$work"/
  server content-host ca "$content_host"
  server untrusted-content-host untrusted-ca "$content_host"
  echo "$content_host" > "$work/content-host.name"
  rm "$work"/{ca,untrusted-ca}{.pem,.key.pem}
  chmod 600 "$work"/*.key.pem
  mv -f "$work"/* "$out"/
fi
[ -f "$out/.complete-timestamping" ] && exit 0

# Time stamping: the local authority under the tree's CA, and a past that a time stamp can
# vouch for, under a root that was valid then.
cp "$out/ca.pem" "$out/ca.key.pem" "$work"/
leaf tsa ca "Inkvane Test Time Stamping" "${timestamping[@]}"
cat "$work/tsa.pem" "$work/ca.pem" > "$work/tsa-chain.pem"
rm "$work/ca.pem" "$work/ca.key.pem"
since=20200101000000Z
until=$(date -u -d "+$days days" +%Y%m%d%H%M%SZ)
dated past-ca past-ca "Inkvane Test Root CA 2020" "$since" "$until" \
  "basicConstraints=critical,CA:TRUE" "keyUsage=critical,keyCertSign,cRLSign"
openssl x509 -in "$work/past-ca.pem" -outform DER -out "$work/past-ca.der"
dated codesign-expired past-ca "Inkvane Test Publisher" "$since" 20210101000000Z \
  "basicConstraints=critical,CA:FALSE" "keyUsage=critical,digitalSignature" "extendedKeyUsage=codeSigning"
cat "$work/codesign-expired.pem" "$work/past-ca.pem" > "$work/codesign-expired-chain.pem"
dated past-tsa past-ca "Inkvane Test Time Stamping 2020" "$since" "$until" \
  "basicConstraints=critical,CA:FALSE" "${timestamping[@]}"
cat "$work/past-tsa.pem" "$work/past-ca.pem" > "$work/past-tsa-chain.pem"
chmod 600 "$work"/*.key.pem
mv -f "$work"/* "$out"/
touch "$out/.complete-timestamping"
