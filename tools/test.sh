#!/usr/bin/env bash
# Installs what is missing, builds the trees and runs every test: the native unit tests and
# the Windows-side and end-to-end tests under Wine, counted together by one ctest run.
# The Windows-side tests run on the architecture this host can execute: i686 (build/win32)
# where 32-bit programs run, otherwise x86_64 (build/win64); INKVANE_WIN_ARCH=i686|x86_64
# forces one. The i686 tree, whose InkvaneSetup.exe ships, is built on every host.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=$(nproc)

echo "== test: installing missing packages"
bash tools/install-deps.sh

read -r arch reason <<<"$(tests/wine-run.sh --arch)"
echo "== test: the Windows-side tests run on $arch: $reason"

cmake --preset win32
if [ "$arch" = i686 ]; then
  echo "== test: building the shipped program and the Windows tests for i686 (build/win32)"
  cmake --build --preset win32 -j "$jobs"
else
  # This host cannot run the i686 tests: only the program that ships is checked here.
  echo "== test: building the shipped program for i686 (build/win32)"
  cmake --build --preset win32 -j "$jobs" --target InkvaneSetup
fi

win_tree=$root/build/win32
ship_tree=
if [ "$arch" = x86_64 ]; then
  echo "== test: building the programs and the Windows tests for x86_64 (build/win64)"
  cmake --preset win64
  cmake --build --preset win64 -j "$jobs"
  win_tree=$root/build/win64
  ship_tree=$root/build/win32
fi

echo "== test: building the portable unit tests (build/native)"
cmake --preset native -DINKVANE_WIN_BUILD_DIR="$win_tree" -DINKVANE_SHIP_BUILD_DIR="$ship_tree"
cmake --build --preset native -j "$jobs"

echo "== test: running native and Wine tests ($arch)"
status=0
# The Wine tests take turns (they share one Wine lock); the rest (the reproducible build, the
# native unit tests) run beside them.
ctest --test-dir build/native --output-on-failure -j "$jobs" || status=$?
echo "== test: the Windows-side tests ran on $arch: $reason"
exit "$status"
