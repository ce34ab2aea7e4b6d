#!/usr/bin/env bash
# Installs what is missing, builds the programs and shows one under Wine.
#   tools/run.sh            the whole install, on this machine alone (tools/demo.py): the demo
#                           copy of the installer, whose compiled origin is a local vendor
#                           server that this command starts with the stand-in package, in a
#                           Wine prefix of its own that trusts the tree's test CA. On a display
#                           the window opens for you to click through; without one the install
#                           is driven on a private Xvfb screen and its four screens (Ready,
#                           Installing, Failed, Finished) are saved as PNG files, their paths
#                           printed.
#   tools/run.sh gallery    the developer's gallery: every picture
#   tools/run.sh controls   the developer's gallery: every control in every state
#   tools/run.sh notice     ... with a notice message box open over it (question: yes/no)
# The gallery opens on the display, or is shot on a private Xvfb screen (path printed).
# INKVANE_DPI=120 or 144 picks the logical DPI. It shows the build this host can execute: i686
# (build/win32, what ships) where 32-bit programs run, otherwise x86_64 (build/win64);
# INKVANE_WIN_ARCH=i686|x86_64 forces one. Everything it started is stopped again by process
# id when it ends, also when interrupted.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
dpi=${INKVANE_DPI:-96}
export INKVANE_DPI=$dpi
mode=${1:-demo}

case "$mode" in
  demo | gallery | controls | notice | question) ;;
  *) echo "usage: tools/run.sh [gallery | controls | notice | question]" >&2; exit 2 ;;
esac

echo "== run: installing missing packages"
bash tools/install-deps.sh
read -r arch reason <<<"$(tests/wine-run.sh --arch)"
if [ "$arch" = i686 ]; then tree=win32; else tree=win64; fi
build=$root/build/$tree

# Only what this mode runs, and what every Wine prefix needs when it is made (the harness
# learns the tree's architecture from its InkvaneSetup.exe).
targets=(InkvaneSetup inkvane_trust_root inkvane_browser_recorder)
if [ "$mode" = demo ]; then
  targets+=(InkvaneSetupDemo inkvane_standin inkvane_inspect)
else
  targets+=(inkvane_gallery)
fi
echo "== run: building the $arch programs (build/$tree): $reason"
cmake --preset $tree >/dev/null
cmake --build --preset $tree -j "$(nproc)" --target "${targets[@]}"

xvfb_pid=
child_pid=
# Everything runs in a Wine prefix of this command's own, beside the test suite's
# (tests/wine-run.sh, INKVANE_PREFIX): what Wine still runs there at the end is ours to end.
export INKVANE_PREFIX=demo
prefix=$build/wine/demo-dpi$dpi
cleanup() {
  if [ -n "$child_pid" ] && kill -0 "$child_pid" 2>/dev/null; then
    kill -TERM -- "-$child_pid" 2>/dev/null || kill -TERM "$child_pid" 2>/dev/null || true
    wait "$child_pid" 2>/dev/null || true
  fi
  if [ -d "$prefix" ]; then WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# Runs a command in the background, in a process group of its own, and waits for it, so that
# a signal to this script reaches the trap at once, and the trap then stops the command's
# group by its process id.
run_child() {
  setsid "$@" &
  child_pid=$!
  local status=0
  wait "$child_pid" || status=$?
  child_pid=
  return "$status"
}

headless=
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  # Xvfb picks a free display number itself and writes it to the file once it listens: a
  # number chosen here could be taken by another program before Xvfb binds it, and its socket
  # would then be someone else's screen.
  mkdir -p build
  display_file=$(mktemp build/.run-display.XXXXXX)
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp </dev/null >/dev/null 2>&1 3>"$display_file" &
  xvfb_pid=$!
  for _ in $(seq 200); do
    [ -s "$display_file" ] || ! kill -0 "$xvfb_pid" 2>/dev/null && break
    sleep 0.05
  done
  n=$(tr -dc 0-9 <"$display_file")
  rm -f "$display_file"
  [ -n "$n" ] || { echo "run: FAILED: Xvfb did not start (no display number within 10 s)" >&2; exit 1; }
  export DISPLAY=":$n"
fi

if [ "$mode" = demo ]; then
  if [ -z "$headless" ]; then
    echo "== run: the demo installer ($arch, $dpi DPI) on $DISPLAY, with a local vendor server"
    run_child python3 tools/demo.py "$build" watch
  else
    shots=$root/build/screenshots
    echo "== run: no display; driving the demo installer ($arch, $dpi DPI) on Xvfb $DISPLAY"
    run_child python3 tools/demo.py "$build" screens "$shots"
    echo "== run: the four screens are written to $shots (paths above)"
  fi
  exit 0
fi

args=()
if [ "$mode" = gallery ]; then
  find_window=(--name '^Inkvane gallery$')
else
  args=("$mode")
  find_window=(--name '^Inkvane gallery: controls$')
fi
program=$build/inkvane_gallery.exe
if [ -z "$headless" ]; then
  echo "== run: starting $program ($arch) at $dpi DPI on $DISPLAY"
  run_child tests/wine-run.sh "$program" "${args[@]}"
  exit 0
fi

echo "== run: no display; starting $program ($arch) at $dpi DPI on Xvfb $DISPLAY"
setsid tests/wine-run.sh "$program" "${args[@]}" &
child_pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible "${find_window[@]}" | head -n 1)
sleep 1  # let the first paint finish
mkdir -p build/screenshots
shot="$root/build/screenshots/$mode-dpi$dpi.png"
if [ "$mode" = notice ] || [ "$mode" = question ]; then
  import -window root "$shot"  # the box is a window of its own, over the page
else
  import -window "$window" "$shot"
fi
echo "== run: screenshot written to $shot"
