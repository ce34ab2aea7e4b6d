#!/usr/bin/env bash
# The release program built twice from the same sources, in two fresh folders of different
# names, the second with the clock three days ahead (faketime), comes out the same, byte for
# byte. Prints both programs' SHA-256; on a difference, the differing bytes.
#
#   tools/release/check-reproducible.sh [COMMIT]       two clones of COMMIT (default HEAD)
#   tools/release/check-reproducible.sh --working-tree two copies of the working tree's files, as
#                                               git sees them (ship.ReproducibleBuild)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source=${1:-HEAD}
[ "$source" = --working-tree ] || source=$(git -C "$root" rev-parse --verify "$source^{commit}")
work=$(mktemp -d "${TMPDIR:-/tmp}/inkvane-reproducible.XXXXXX")
trap 'rm -rf "$work"' EXIT

sources() {  # FOLDER
  if [ "$source" = --working-tree ]; then
    mkdir -p "$1"
    (cd "$root" && git ls-files -z --cached --others --exclude-standard |
       while IFS= read -r -d '' file; do [ -f "$file" ] && printf '%s\0' "$file"; done |
       xargs -0 cp --parents -t "$1")
  else
    git clone --quiet --no-hardlinks "$root" "$1"
    git -C "$1" -c advice.detachedHead=false checkout --quiet "$source"
  fi
}
command -v faketime >/dev/null ||
  { echo "check-reproducible: faketime is not installed (tools/install-deps.sh)" >&2; exit 1; }
build() {  # FOLDER [CLOCK...]
  local folder=$1
  shift
  sources "$folder"
  (cd "$folder" && "$@" cmake --preset win32 -DBUILD_TESTING=OFF >"$folder.log" 2>&1 &&
   "$@" cmake --build --preset win32 -j 2 --target InkvaneSetup >>"$folder.log" 2>&1) ||
    { echo "the build in $folder failed:"; cat "$folder.log"; exit 1; }
}
echo "== reproducible: building ${source#--} twice"
build "$work/first"
build "$work/second-folder-elsewhere" faketime -f +3d
a=$work/first/build/win32/InkvaneSetup.exe b=$work/second-folder-elsewhere/build/win32/InkvaneSetup.exe
sha256sum "$a" "$b" | sed "s|$work/||"
if cmp -s "$a" "$b"; then
  echo "same: $(stat -c %s "$a") bytes"
else
  echo "DIFFERENT: $(cmp -l "$a" "$b" | wc -l) bytes differ (offset, octal values):"
  cmp -l "$a" "$b" | head -20
  exit 1
fi
