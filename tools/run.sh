#!/usr/bin/env bash
# Installs what is missing, builds the release programs and starts one under Wine:
# on the current display if there is one, otherwise on a private Xvfb screen, where a
# screenshot is taken and its path printed. INKVANE_DPI=120 or 144 picks the logical DPI.
# It shows the build this host can execute: i686 (build/win32, what ships) where 32-bit
# programs run, otherwise x86_64 (build/win64); INKVANE_WIN_ARCH=i686|x86_64 forces one.
#   tools/run.sh            the installer, InkvaneSetup.exe
#   tools/run.sh gallery    the developer's gallery: every picture
#   tools/run.sh controls   the developer's gallery: every control in every state
#   tools/run.sh notice     ... with a notice message box open over it (question: yes/no)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
dpi=${INKVANE_DPI:-96}
export INKVANE_DPI=$dpi

echo "== run: installing missing packages"
bash tools/install-deps.sh
read -r arch reason <<<"$(tests/wine-run.sh --arch)"
if [ "$arch" = i686 ]; then tree=win32; else tree=win64; fi

args=()
if [ "${1:-}" = gallery ]; then
  program=build/$tree/inkvane_gallery.exe
  find_window=(--name '^Inkvane gallery$')
  shot_name=gallery
elif [ "${1:-}" = controls ] || [ "${1:-}" = notice ] || [ "${1:-}" = question ]; then
  program=build/$tree/inkvane_gallery.exe
  args=("$1")
  find_window=(--name '^Inkvane gallery: controls$')
  shot_name=$1
else
  program=build/$tree/InkvaneSetup.exe
  find_window=(--classname '^inkvanesetup.exe$')
  shot_name=installer
fi

echo "== run: building the $arch programs (build/$tree): $reason"
cmake --preset $tree >/dev/null
cmake --build --preset $tree -j "$(nproc)"

if [ -n "${DISPLAY:-}" ]; then
  echo "== run: starting $program ($arch) at $dpi DPI on $DISPLAY"
  exec tests/wine-run.sh "$program" "${args[@]}"
fi

xvfb_pid=
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  WINEPREFIX="$root/build/$tree/wine/dpi$dpi" wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

for n in $(seq 120 199); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
done
Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$n"
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done

echo "== run: no display; starting $program ($arch) at $dpi DPI on Xvfb $DISPLAY"
tests/wine-run.sh "$program" "${args[@]}" &
program_pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible "${find_window[@]}" | head -n 1)
sleep 1  # let the first paint finish
mkdir -p build/screenshots
shot="$root/build/screenshots/$shot_name-dpi$dpi.png"
if [ "$shot_name" = notice ] || [ "$shot_name" = question ]; then
  import -window root "$shot"  # the box is a window of its own, over the page
else
  import -window "$window" "$shot"
fi
echo "== run: screenshot written to $shot"
