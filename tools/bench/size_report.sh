#!/usr/bin/env bash
# Benchmark, not a test: the size of the program that ships (the i686 release build,
# build/win32/InkvaneSetup.exe) and where it goes: sections, and resources by type and id.
# The test suite only checks the size against its ceiling (ship.SizeWithinBudget).
#
#   tools/bench/size_report.sh [PROGRAM.exe]    (default: build and report the shipped one)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
if [ $# -gt 0 ]; then
  exec python3 tools/bench/size_report.py "$1"
fi
echo "== size: building the release program (build/win32)"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j 2 --target InkvaneSetup >/dev/null
python3 tools/bench/size_report.py build/win32/InkvaneSetup.exe
