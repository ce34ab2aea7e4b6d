#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test: the native unit tests
# and the Windows-side tests under Wine, counted together by one ctest run.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=$(nproc)

echo "== test: installing missing packages"
bash tools/install-deps.sh

echo "== test: building the Windows programs and tests (build/win32)"
cmake --preset win32
cmake --build --preset win32 -j "$jobs"

echo "== test: building the portable unit tests (build/native)"
cmake --preset native -DINKVANE_WIN32_BUILD_DIR="$root/build/win32"
cmake --build --preset native -j "$jobs"

echo "== test: running native and Wine tests"
ctest --test-dir build/native --output-on-failure
