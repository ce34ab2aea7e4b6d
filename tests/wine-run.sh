#!/usr/bin/env bash
# Runs a Windows program of this build tree under Wine, as CMake's cross-compiling emulator.
#
#   wine-run.sh PROGRAM.exe [ARGS...]   run it (exit code passed through)
#   wine-run.sh --setup  BUILD_DIR      prepare the prefixes, start a display and keep one
#                                       wineserver per prefix alive for a whole test suite
#   wine-run.sh --teardown BUILD_DIR    stop exactly what --setup started
#   wine-run.sh --trust CERT.der PROGRAM_DIR  add a test CA to the prefix's machine Root store
#
# One prefix per build tree and logical DPI: BUILD_DIR/wine/dpiN, N from INKVANE_DPI
# (default 96). The DPI is fixed when the prefix is made, so no run ever has to restart a
# wineserver to change it. So are the prefix's extra drives (see test_drives below). Without a display, an Xvfb server is started (and stopped again
# by whoever started it). WINE_RUN_VERBOSE=1 prints what happens.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
dpi=${INKVANE_DPI:-96}
export WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="

say() { if [ "${WINE_RUN_VERBOSE:-0}" = 1 ]; then echo "wine-run: $*" >&2; fi; }

# The build tree that holds a file: the nearest folder upwards with a CMakeCache.txt.
build_dir_of() {
  local d
  d=$(cd "$(dirname "$1")" && pwd)
  while [ "$d" != / ]; do
    [ -f "$d/CMakeCache.txt" ] && { echo "$d"; return; }
    d=$(dirname "$d")
  done
  echo "wine-run: $1 is not inside a build tree" >&2
  exit 2
}

# Drives of every type Wine can make, beside C: (a fixed disk): LETTER:TYPE, each letter
# linked to the folder PREFIX/drives/LETTER and typed in HKLM\Software\Wine\Drives. Wine
# reads the types when a wineserver starts, so they are set when the prefix is made, before
# any suite starts its wineserver. T: is a fixed disk whose folder a test may mount a small
# file system on, to know its free space. Q: stays unmapped.
test_drives="d:floppy e:cdrom f:network g:hd t:hd"
# What a ready prefix holds; a prefix made for an older layout is made again.
prefix_layout="drives: $test_drives; Tahoma links to WenQuanYi"

make_prefix() {  # BUILD_DIR DPI
  local prefix="$1/wine/dpi$2"
  [ "$(cat "$prefix/.ready" 2>/dev/null)" = "$prefix_layout" ] && { echo "$prefix"; return; }
  mkdir -p "$1/wine"
  (
    flock 9
    if [ "$(cat "$prefix/.ready" 2>/dev/null)" != "$prefix_layout" ]; then
      say "creating $prefix"
      [ -d "$prefix" ] && { WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true; }
      rm -rf "$prefix"
      WINEPREFIX="$prefix" wine wineboot -i >/dev/null 2>&1
      local drive letter drive_types=""
      for drive in $test_drives; do
        letter=${drive%%:*}
        mkdir -p "$prefix/drives/$letter"
        ln -sfn "../drives/$letter" "$prefix/dosdevices/$letter:"
        drive_types+="\"$letter:\"=\"${drive#*:}\""$'\n'
      done
      # The system's own dialogs (the shell's folder browser) draw Chinese text with
      # Tahoma's fallback font, as they would on a Chinese Windows. REG_MULTI_SZ, in bytes.
      local fontlink
      fontlink=$(printf 'wqy-microhei.ttc,WenQuanYi Micro Hei\0\0' | od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//;s/,$//')
      local logpixels reg recorder
      logpixels=$(printf '%08x' "$2")
      recorder="$here/browser-recorder.sh"
      reg="$1/wine/settings-dpi$2.reg"
      cat > "$reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Control Panel\\Desktop]
"LogPixels"=dword:$logpixels

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"Microsoft YaHei"="WenQuanYi Micro Hei"
"微软雅黑"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\WineBrowser]
"Browsers"="$recorder"

[HKEY_CURRENT_USER\\Software\\Wine\\DllOverrides]
"mscoree"=""
"mshtml"=""

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]
"Tahoma"=hex(7):$fontlink

[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]
$drive_types
REG
      WINEPREFIX="$prefix" wine regedit /S "$(WINEPREFIX="$prefix" winepath -w "$reg")" >/dev/null 2>&1
      # The tree's test CA (made here once, in wine/test-pki) is trusted in the prefix only.
      "$here/../tools/make-test-pki.sh" "$1/wine/test-pki"
      WINEPREFIX="$prefix" wine "$1/tests/inkvane_trust_root.exe" \
        "$(WINEPREFIX="$prefix" winepath -w "$1/wine/test-pki/ca.der")" </dev/null \
        || { echo "wine-run: cannot trust the test CA in $prefix (is tests/inkvane_trust_root.exe built?)" >&2; exit 1; }
      WINEPREFIX="$prefix" wineserver -w
      echo "$prefix_layout" > "$prefix/.ready"
    fi
  ) 9>"$1/wine/.lock"
  echo "$prefix"
}

free_display() {
  local n
  for n in $(seq 90 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { echo "$n"; return; }
  done
  echo "wine-run: no free X display" >&2
  exit 2
}

start_xvfb() {  # sets xvfb_display and xvfb_pid
  local n
  n=$(free_display)
  Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.05
  done
  say "Xvfb :$n (pid $xvfb_pid)"
  xvfb_display=":$n"
}

suite_display() {  # the display a running suite set up, if its Xvfb still lives
  local state="$1/wine/suite"
  if [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
    cat "$state/display"
  fi
}

case "${1:-}" in
  --setup)
    build=$(cd "$2" && pwd)
    state="$build/wine/suite"
    mkdir -p "$state"
    for d in 96 144; do make_prefix "$build" "$d" >/dev/null; done
    if [ -z "${DISPLAY:-}" ] && [ -z "$(suite_display "$build")" ]; then
      start_xvfb
      echo "$xvfb_display" > "$state/display"
      echo "$xvfb_pid" > "$state/xvfb.pid"
    fi
    # Both daemons must not hold the test runner's output pipes open.
    for d in 96 144; do
      WINEPREFIX="$build/wine/dpi$d" wineserver -p </dev/null >/dev/null 2>&1
      # Start the prefix's background services now, detached from any test's pipes.
      WINEPREFIX="$build/wine/dpi$d" DISPLAY=${DISPLAY:-$(suite_display "$build")} \
        wine cmd /c exit </dev/null >/dev/null 2>&1
    done
    exit 0
    ;;
  --teardown)
    build=$(cd "$2" && pwd)
    state="$build/wine/suite"
    for p in "$build"/wine/dpi*; do
      [ -d "$p" ] && WINEPREFIX="$p" wineserver -k 2>/dev/null || true
    done
    if [ -f "$state/xvfb.pid" ]; then
      kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
      rm -f "$state/xvfb.pid" "$state/display"
    fi
    exit 0
    ;;
  --trust)
    cert="$2"
    build=$(build_dir_of "$3/CMakeCache.txt")
    export WINEPREFIX
    WINEPREFIX=$(make_prefix "$build" "$dpi")
    exec wine "$build/tests/inkvane_trust_root.exe" "$(winepath -w "$cert")"
    ;;
  "")
    echo "usage: wine-run.sh PROGRAM.exe [ARGS...] | --setup DIR | --teardown DIR" >&2
    exit 2
    ;;
esac

program="$1"
shift
build=$(build_dir_of "$program")
export WINEPREFIX
WINEPREFIX=$(make_prefix "$build" "$dpi")

own_xvfb=
display=$(suite_display "$build")
if [ -n "$display" ]; then
  export DISPLAY="$display"
elif [ -z "${DISPLAY:-}" ]; then
  start_xvfb
  export DISPLAY="$xvfb_display"
  own_xvfb=$xvfb_pid
fi

status=0
wine "$program" "$@" || status=$?
if [ -n "$own_xvfb" ]; then
  WINEPREFIX="$WINEPREFIX" wineserver -w
  kill "$own_xvfb" 2>/dev/null || true
fi
exit "$status"
