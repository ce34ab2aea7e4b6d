#!/usr/bin/env bash
# Benchmark, not a test (ctest never runs it): the installer's download code against a bare
# URLDownloadToFileW without a callback, the same 100 MB package from this tree's local
# vendor server, in the same Wine prefix and the same run, printed as ratios: of the median
# times, and the median (with the spread) of each round's paired ratio, which is the one
# judged (goal: at least 0.95: the progress sink and the stall watchdog must cost almost
# nothing), with curl's rate from the same server beside it for information.
#
#   tools/bench/download_bench.sh [ROUNDS]      (default 7)
#
# Uses the tree's vendor port (INKVANE_TEST_PORT_BASE): not while that tree's tests run.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
rounds=${1:-7}
# The architecture this host runs (INKVANE_WIN_ARCH forces one), as the tests do.
read -r arch _ <<<"$(tests/wine-run.sh --arch)"
preset=win32
[ "$arch" = x86_64 ] && preset=win64
build=$root/build/$preset

echo "== bench: building ($preset, $arch)"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j 2 \
  --target inkvane_download_bench inkvane_trust_root >/dev/null

bench_dir=$build/bench
package=$bench_dir/package-100m.bin
size=$((100 * 1024 * 1024))
mkdir -p "$bench_dir"
if [ "$(stat -c %s "$package" 2>/dev/null || echo 0)" != "$size" ]; then
  echo "== bench: making a $size-byte package"
  head -c "$size" /dev/urandom > "$package"
fi

python3 tools/vendor/vendor_client.py start "$build"
trap 'python3 tools/vendor/vendor_client.py stop "$build" >/dev/null' EXIT
printf '{"package": {"file": "%s"}}' "$package" > "$build/vendor/control.json"
origin=$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["origin"])' \
           "$build/vendor/ports.json")
url=$origin$(python3 tools/vendor/package_contract.py kDownloadPathAndQuery)

echo "== bench: curl from the same server (best of 3)"
best=0
for _ in 1 2 3; do
  rate=$(curl -s --cacert "$build/wine/test-pki/ca.pem" -o /dev/null -w '%{speed_download}' "$url")
  best=$(python3 -c "print(max($best, $rate))")
done
python3 -c "print(f'curl: {$best / 1e6:.1f} MB/s')"

echo "== bench: under Wine, $rounds rounds, ours and bare in turns"
tests/wine-run.sh "$build/inkvane_download_bench.exe" "$rounds"
