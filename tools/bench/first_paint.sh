#!/usr/bin/env bash
# Benchmark, not a test (ctest never runs it): time from process start to the first painted
# window, for the release installer and for a bare Win32 dialog of the same size (the
# reference: tools/bench/bare_dialog.cpp), started in turns under the same Wine prefix,
# wineserver and desktop. Prints each run, the medians and their ratio (goal: at most 1.2).
# Two more programs run in the same turns: the bare dialog with the installer's DLL imports,
# and the installer with its start-up's parts timed (startup_trace.cpp), whose breakdown
# is printed at the end.
#
#   tools/bench/first_paint.sh [ROUNDS [NAME=PROGRAM.exe ...]]      (default 9 rounds)
#
# Further programs (another build of the installer, say) join the turns under their NAME.
# INKVANE_DPI=144 measures at 144 DPI. Uses the tree's Wine prefixes and suite state: not
# while that tree's tests run. Noisy while the machine builds: compare runs of one sitting.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
rounds=${1:-9}
shift $(( $# > 0 ? 1 : 0 ))
read -r arch _ <<<"$(tests/wine-run.sh --arch)"
preset=win32
[ "$arch" = x86_64 ] && preset=win64
build=$root/build/$preset

echo "== first paint: building ($preset, $arch)"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j 2 --target InkvaneSetup inkvane_bare_dialog \
  inkvane_bare_dialog_imports inkvane_traced_setup inkvane_first_paint_bench \
  inkvane_trust_root inkvane_desktop_keeper >/dev/null

tests/wine-run.sh --setup "$build"
trap 'tests/wine-run.sh --teardown "$build"' EXIT

windows_path() { echo "Z:${1//\//\\}"; }
extra=()
for spec in "$@"; do
  path=$(realpath "${spec#*=}")
  extra+=("${spec%%=*}=$(windows_path "$path")")
done
bench=$build/tools/bench
echo "== first paint: $rounds rounds at ${INKVANE_DPI:-96} DPI, programs in turns"
tests/wine-run.sh "$bench/inkvane_first_paint_bench.exe" "$rounds" \
  "bare=$(windows_path "$bench/inkvane_bare_dialog.exe")" \
  "installer=$(windows_path "$build/InkvaneSetup.exe")" \
  "bare+dlls=$(windows_path "$bench/inkvane_bare_dialog_imports.exe")" \
  "traced=$(windows_path "$bench/inkvane_traced_setup.exe")" "${extra[@]}"
