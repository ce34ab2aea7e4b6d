#!/usr/bin/env bash
# The test-CA helper: a freshly made CA certificate ends up in the prefix's machine Root
# store, keyed by its SHA-1 thumbprint as the system keeps it; and the tree's own test CA
# (wine/test-pki/ca.der) was put there when the prefix was made.
#   trust_root_check.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Inkvane test CA $$" \
  -keyout "$work/ca.key" -outform DER -out "$work/ca.der" 2>/dev/null
"$here/wine-run.sh" --trust "$work/ca.der" "$build"
status=0
for ca in "$work/ca.der" "$build/wine/test-pki/ca.der"; do
  thumbprint=$(openssl x509 -inform DER -in "$ca" -noout -fingerprint -sha1 | sed 's/.*=//; s/://g')
  if "$here/wine-run.sh" --builtin "$build" reg query \
       "HKLM\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\$thumbprint" >/dev/null 2>&1; then
    echo "trusted: $thumbprint ($ca)"
  else
    echo "not in the machine Root store: $thumbprint ($ca)"
    status=1
  fi
done
exit $status
