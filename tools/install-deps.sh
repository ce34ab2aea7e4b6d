#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, and nothing when
# they are all present already. Needs root (or sudo) on a Debian machine.
set -euo pipefail

# Both Wines: 32-bit for the program that ships, 64-bit for hosts that cannot execute
# 32-bit programs (there the tests run an x86_64 build).
# osslsigncode signs releases (tools/release/sign-release.sh); advancecomp's advpng re-encodes the
# pictures that tools/pictures/genpics.py draws; faketime sets a later day for tools/release/check-reproducible.sh.
packages=(cmake g++ make python3 libgtest-dev googletest mingw-w64 wine wine32:i386 wine64
          xvfb xdotool imagemagick fonts-wqy-microhei openssl osslsigncode advancecomp faketime)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "install-deps: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
# A mirror in the middle of a sync can fail one index while the rest update; what is needed
# may well be in the lists that did, so try again a few times and then go on with those.
for attempt in 1 2 3; do
  $sudo apt-get update -q && break
  echo "install-deps: apt-get update failed (attempt $attempt of 3)"
  sleep $((attempt * 5))
done
apt_install() { DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "$@" "${missing[@]}"; }
if ! apt_install; then
  # When one architecture's security index failed to update, the other's newer versions of
  # shared libraries cannot be matched and the i386 Wine will not install. The main suites
  # alone are consistent: try once more with the security suite left out.
  echo "install-deps: retrying with the main suites only (the security index was inconsistent)"
  parts=$(mktemp -d)
  trap 'rm -rf "$parts"' EXIT
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && awk 'BEGIN { RS = ""; ORS = "\n\n" } !/-security/' "$f" >"$parts/$(basename "$f")"
  done
  apt_install -o Dir::Etc::SourceParts="$parts"
fi
