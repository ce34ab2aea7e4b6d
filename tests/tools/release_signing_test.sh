#!/usr/bin/env bash
# Our release exe signed by tools/release/sign-release.sh, time-stamped by the local time-stamping
# server (tools/release/timestamp_server.py), passes the installer's publisher check under Wine (the
# tree's test CA is in the prefix's machine Root store); the same exe with one byte changed
# after signing, unsigned, signed by another publisher of that CA, or by an untrusted CA under
# the publisher's very name, each fails it. The signing itself is refused without a server (and
# without the explicit opt-out), and fails, in bounded time and leaving the exe unchanged, when
# the server refuses, rejects, stays silent, or its time stamp does not verify.
#   release_signing_test.sh BUILD_DIR InkvaneSetup.exe inkvane_signature_probe.exe [--wine-facts]
#
# With --wine-facts instead: what today's Wine makes of a package whose signing certificate
# has expired, signed inside its validity with an RFC 3161 time stamp, with the older
# countersignature and without either, and that osslsigncode verifies the time-stamped one
# after the expiry and not the other. A change here means Wine changed.
set -euo pipefail
build=$(cd "$1" && pwd) exe=$2 probe=$3 mode=${4:-release}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
pki=$build/wine/test-pki
"$root/tools/vendor/make-test-pki.sh" "$pki"
work=$(mktemp -d "$build/signing-test.XXXXXX")
tsa_pid=""
trap '[ -z "$tsa_pid" ] || { kill "$tsa_pid"; wait "$tsa_pid"; } 2>/dev/null; rm -rf "$work"' EXIT
publisher="Inkvane Test Publisher"

status=0
report() {  # OK NAME TEXT
  if [ "$1" = 1 ]; then echo "ok   $2: $3"; else echo "FAIL $2: $3"; status=1; fi
}
expect() {  # NAME EXIT PATTERN: the installer's check under Wine
  local line code=0
  line=$("$root/tests/wine-run.sh" "$probe" "Z:${work//\//\\}\\$1.exe" "$publisher" |
         tr -d '\r') || code=$?
  if [ "$code" = "$2" ] && [[ $line =~ $3 ]]; then
    report 1 "$1" "$line"
  else
    report 0 "$1" "exit $code, expected $2 and /$3/: $line"
  fi
}

start_tsa() {  # OPTIONS...: the local time-stamping server; sets tsa to its address
  "$root/tools/release/timestamp_server.py" --pki "$pki" "$@" >"$work/tsa-address" &
  tsa_pid=$!
  for _ in $(seq 100); do [ -s "$work/tsa-address" ] && break; sleep 0.1; done
  tsa=$(cat "$work/tsa-address")
  [[ $tsa =~ ^http:// ]] || { echo "FAIL: the local time-stamping server did not start"; exit 1; }
}

if [ "$mode" = --wine-facts ]; then
  # Signed on 2020-06-01 by a certificate valid in 2020 only, under a root valid since 2020
  # (trusted in the prefix here), time-stamped then by the local server, its clock set back.
  "$root/tests/wine-run.sh" --trust "$pki/past-ca.der" "$build" >/dev/null
  start_tsa --signer past-tsa --at "2020-06-01 00:00:00"
  then=$(date -u -d 2020-06-01 +%s) after=$(date -u -d 2021-06-01 +%s)
  for name in expired-stamped expired-countersigned expired-unstamped; do
    case $name in
      expired-stamped) stamp=(-ts "$tsa") ;;
      expired-countersigned) stamp=(-t "$tsa/authenticode") ;;
      *) stamp=() ;;
    esac
    osslsigncode sign -certs "$pki/codesign-expired-chain.pem" -key "$pki/codesign-expired.key.pem" \
      -h sha256 -n "Inkvane Setup" -time "$then" "${stamp[@]}" -in "$exe" -out "$work/$name.exe" \
      >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
  done
  # Wine's WinVerifyTrust passes all three: it fails no signature for an expired certificate.
  # It builds the chain at the time of the older form of time stamp, a PKCS #9 countersignature
  # (time valid: 0x0), but not at an RFC 3161 time stamp's: that chain, like the one without a
  # time stamp, is built for the present and "not time valid" (0x1).
  expect expired-stamped 0 "^verdict=accepted status=0x00000000 chain=0x1 signer=$publisher\$"
  expect expired-countersigned 0 "^verdict=accepted status=0x00000000 chain=0x0 signer=$publisher\$"
  expect expired-unstamped 0 "^verdict=accepted status=0x00000000 chain=0x1 signer=$publisher\$"
  # Our side: a year after the expiry, the RFC 3161 time-stamped signature verifies at its time
  # stamp's time, and the one without a time stamp does not verify.
  for name in expired-stamped expired-unstamped; do
    code=0
    osslsigncode verify -in "$work/$name.exe" -CAfile "$pki/past-ca.pem" -TSA-CAfile "$pki/past-ca.pem" \
      -ignore-crl -time "$after" >"$work/log" 2>&1 || code=$?
    verdict=$(grep -E '^(Timestamp Server Signature verification|Signature verification time|Signature verification):' \
              "$work/log" | paste -sd ';' -)
    if [ $name = expired-stamped ]; then
      [ $code = 0 ] && [[ $verdict =~ 'Timestamp Server Signature verification: ok;Signature verification time: Jun  1 00:00:00 2020 GMT;Signature verification: ok' ]]
    else
      [ $code = 1 ] && [[ $verdict =~ 'Signature verification: failed' ]] && grep -q 'certificate has expired' "$work/log"
    fi && report 1 "osslsigncode verify $name in 2021" "exit $code: $verdict" ||
          report 0 "osslsigncode verify $name in 2021" "exit $code: $verdict"
  done
  exit $status
fi

start_tsa

sign() {  # NAME SIGNER CA
  cp "$exe" "$work/$1.exe"
  "$root/tools/release/sign-release.sh" --timestamp "$tsa" --timestamp-ca "$pki/ca.pem" "$work/$1.exe" \
    "$pki/codesign-$2.pem" "$pki/codesign-$2.key.pem" "$pki/$3.pem"
}
line=$(sign signed publisher ca)
[[ $line =~ "CN = $publisher, time-stamped "[A-Z][a-z]{2}\ +[0-9]+\ [0-9:]{8}\ 20[0-9]{2}\ GMT" by $tsa"$ ]] &&
  report 1 "time-stamped" "$line" || report 0 "time-stamped" "$line"
sign other other ca >/dev/null
sign untrusted untrusted untrusted-ca >/dev/null

# Each refused signing: its exit, its message, within BOUND seconds, the exe unchanged.
refused() {  # NAME EXIT PATTERN BOUND OPTIONS...
  local name=$1 want=$2 pattern=$3 bound=$4 code=0 start message
  shift 4
  cp "$exe" "$work/$name.exe"
  start=$SECONDS
  message=$("$root/tools/release/sign-release.sh" "$@" "$work/$name.exe" "$pki/codesign-publisher.pem" \
            "$pki/codesign-publisher.key.pem" "$pki/ca.pem" 2>&1) || code=$?
  local took=$((SECONDS - start))
  if [ $code = "$want" ] && [[ $message =~ $pattern ]] && [ $took -le "$bound" ] &&
     cmp -s "$exe" "$work/$name.exe"; then
    report 1 "$name" "exit $code after ${took}s, unchanged: $(head -n1 <<<"$message")"
  else
    report 0 "$name" "exit $code (expected $want) after ${took}s (at most $bound)," \
      "$(cmp -s "$exe" "$work/$name.exe" && echo unchanged || echo CHANGED), expected /$pattern/: $message"
  fi
}
refused no-server 2 'a time-stamping server is needed' 10
refused refusing-server 1 'signing .* failed \(time-stamping server .*/refuse\).*503' 20 \
  --timestamp "$tsa/refuse" --timestamp-ca "$pki/ca.pem"
refused rejecting-server 1 'signing .* failed \(time-stamping server .*/reject\)' 20 \
  --timestamp "$tsa/reject" --timestamp-ca "$pki/ca.pem"
refused silent-server 1 'did not answer within 5s' 20 \
  --timestamp "$tsa/silent" --timestamp-ca "$pki/ca.pem" --timeout 5
refused untrusted-time-stamp 1 'the time stamp .* does not verify against .*untrusted-ca.pem' 20 \
  --timestamp "$tsa" --timestamp-ca "$pki/untrusted-ca.pem"

cp "$exe" "$work/unsigned.exe"
# One byte in the middle of the code, well away from the signature at the end.
cp "$work/signed.exe" "$work/tampered.exe"
offset=$(( $(stat -c %s "$exe") / 3 ))
byte=$(od -An -tu1 -j "$offset" -N1 "$work/tampered.exe" | tr -d ' ')
printf "$(printf '\\%03o' $(( byte ^ 0xff )))" |
  dd of="$work/tampered.exe" bs=1 seek="$offset" conv=notrunc status=none

expect signed 0 "^verdict=accepted status=0x00000000 chain=0x0 signer=$publisher\$"
expect tampered 1 '^verdict=not-trusted status=0x80096010 '
expect unsigned 1 '^verdict=not-trusted status=0x800B0100 '
expect other 1 '^verdict=other-publisher status=0x00000000 chain=0x0 signer=Other Test Publisher$'
# Wine's trust check passes it (0); the chain's status names the untrusted root.
expect untrusted 1 '^verdict=not-trusted status=0x(00000000 chain=0x20|800B0109 chain=0x[0-9A-F]+) '
exit $status
