#!/usr/bin/env bash
# The Wine harness on hosts it cannot use: it picks x86_64 where 32-bit programs do not run,
# and each of its failures shows what failed and names the cause. A host that cannot execute
# a loader is played by a loader file that the kernel refuses ("Exec format error").
#   harness_check.sh BUILD_DIR
set -uo pipefail
unset INKVANE_WIN_ARCH  # the checks below play hosts; the forced choice is one of them
build=$(cd "$1" && pwd)
wine_run="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine-run.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
expect() {  # WHAT TEXT PATTERN...
  local what=$1 text=$2
  shift 2
  for pattern in "$@"; do
    if ! grep -q -- "$pattern" <<<"$text"; then
      echo "FAILED: $what: no '$pattern' in:"
      sed 's/^/  | /' <<<"$text"
      failures=$((failures + 1))
    fi
  done
}

printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' > "$work/refused"
printf '#!/bin/sh\necho wine-8.0\n' > "$work/runs"
chmod +x "$work/refused" "$work/runs"

expect "no 32-bit execution" "$(WINE_RUN_LOADER32="$work/refused" "$wine_run" --arch)" \
  '^x86_64 this host cannot execute 32-bit programs' 'Exec format error'
expect "32-bit execution" "$(WINE_RUN_LOADER32="$work/runs" "$wine_run" --arch)" \
  '^i686 this host runs 32-bit programs'
expect "forced" "$(INKVANE_WIN_ARCH=i686 WINE_RUN_LOADER32="$work/refused" "$wine_run" --arch)" \
  '^i686 forced by INKVANE_WIN_ARCH'

# A tree of its own, so that no prefix of the real one is touched.
mkdir "$work/tree"
touch "$work/tree/CMakeCache.txt"
cp "$build/InkvaneSetup.exe" "$work/tree/"
start=$SECONDS
out=$(WINE_RUN_LOADER32="$work/refused" WINE_RUN_LOADER64="$work/refused" \
      "$wine_run" "$work/tree/InkvaneSetup.exe" 2>&1)
status=$?
[ "$status" -ne 0 ] || { echo "FAILED: a loader that cannot run reported success"; failures=$((failures + 1)); }
expect "loader refused" "$out" 'output of the failed command' 'Exec format error' \
  'FAILED: this host cannot execute [36][24]-bit'
[ $((SECONDS - start)) -lt 30 ] || { echo "FAILED: took $((SECONDS - start)) s"; failures=$((failures + 1)); }

# A program that fails shows what it wrote to standard error and Wine's own messages, which
# the live output leaves out. The tree's prefix is played as ready, the loader by a script.
layout=$(sed -n 's/^prefix_layout="\(.*\)"$/\1/p' "$wine_run")
test_drives=$(sed -n 's/^test_drives="\(.*\)"$/\1/p' "$wine_run")
mkdir -p "$work/tree/wine/dpi96"
echo "${layout//\$test_drives/$test_drives}" > "$work/tree/wine/dpi96/.ready"
printf '#!/bin/sh\n[ "$1" = --version ] && { echo wine-8.0; exit 0; }\necho "0024:err:module:import_dll Library probe.dll not found" >&2\necho "probe: gave up" >&2\nexit 1\n' > "$work/fails"
chmod +x "$work/fails"
out=$(DISPLAY=:1999 INKVANE_DPI=96 WINE_RUN_LOADER32="$work/fails" WINE_RUN_LOADER64="$work/fails" \
      "$wine_run" "$work/tree/InkvaneSetup.exe" 2>&1)
expect "failed program" "$out" 'ended with exit status 1 after' '| probe: gave up' \
  '| 0024:err:module:import_dll Library probe.dll not found'

expect "no display" "$(DISPLAY=:1999 "$wine_run" --setup "$work/tree" 2>&1)" \
  "Can't open display" 'FAILED: no display: DISPLAY=:1999 cannot be opened'

[ "$failures" -eq 0 ] && echo "every failure names its cause"
exit "$((failures > 0))"
