#!/usr/bin/env bash
# Our release exe signed by tools/sign-release.sh passes the installer's publisher check under
# Wine (the tree's test CA is in the prefix's machine Root store); the same exe with one byte
# changed after signing, unsigned, signed by another publisher of that CA, or by an untrusted
# CA under the publisher's very name, each fails it.
#   release_signing_test.sh BUILD_DIR InkvaneSetup.exe inkvane_signature_probe.exe
set -euo pipefail
build=$(cd "$1" && pwd) exe=$2 probe=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
pki=$build/wine/test-pki
"$root/tools/make-test-pki.sh" "$pki"
work=$(mktemp -d "$build/signing-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
publisher="Inkvane Test Publisher"

sign() {  # NAME SIGNER CA
  cp "$exe" "$work/$1.exe"
  "$root/tools/sign-release.sh" "$work/$1.exe" "$pki/codesign-$2.pem" "$pki/codesign-$2.key.pem" \
    "$pki/$3.pem" >/dev/null
}
sign signed publisher ca
sign other other ca
sign untrusted untrusted untrusted-ca
cp "$exe" "$work/unsigned.exe"
# One byte in the middle of the code, well away from the signature at the end.
cp "$work/signed.exe" "$work/tampered.exe"
offset=$(( $(stat -c %s "$exe") / 3 ))
byte=$(od -An -tu1 -j "$offset" -N1 "$work/tampered.exe" | tr -d ' ')
printf "$(printf '\\%03o' $(( byte ^ 0xff )))" |
  dd of="$work/tampered.exe" bs=1 seek="$offset" conv=notrunc status=none

status=0
expect() {  # NAME EXIT PATTERN
  local line code=0
  line=$("$root/tests/wine-run.sh" "$probe" "Z:${work//\//\\}\\$1.exe" "$publisher" |
         tr -d '\r') || code=$?
  if [ "$code" = "$2" ] && [[ $line =~ $3 ]]; then
    echo "ok   $1: $line"
  else
    echo "FAIL $1: exit $code, expected $2 and /$3/: $line"
    status=1
  fi
}
expect signed 0 "^verdict=accepted status=0x00000000 chain=0x0 signer=$publisher\$"
expect tampered 1 '^verdict=not-trusted status=0x80096010 '
expect unsigned 1 '^verdict=not-trusted status=0x800B0100 '
expect other 1 '^verdict=other-publisher status=0x00000000 chain=0x0 signer=Other Test Publisher$'
# Wine's trust check passes it (0); the chain's status names the untrusted root.
expect untrusted 1 '^verdict=not-trusted status=0x(00000000 chain=0x20|800B0109 chain=0x[0-9A-F]+) '
exit $status
