#!/usr/bin/env bash
# Runs a Windows program of this build tree under Wine, as CMake's cross-compiling emulator.
#
#   wine-run.sh PROGRAM.exe [ARGS...]   run it (exit code passed through)
#   wine-run.sh --setup  BUILD_DIR      prepare the prefixes, start a display and keep one
#                                       wineserver and one desktop per prefix alive for a
#                                       whole test suite
#   wine-run.sh --teardown BUILD_DIR    stop exactly what --setup started
#   wine-run.sh --trust CERT.der PROGRAM_DIR  add a test CA to the prefix's machine Root store
#   wine-run.sh --builtin BUILD_DIR NAME [ARGS...]  run one of Wine's own programs (reg,
#                                       regedit, winepath...) in the tree's prefix
#   wine-run.sh --arch                  print the architecture whose programs this host runs
#                                       (i686 or x86_64), then the reason, on one line
#
# A program runs under the Wine of its own architecture: i686 under 32-bit Wine in a win32
# prefix, x86_64 under 64-bit Wine in a win64 prefix. The 64-bit loader is named explicitly
# because the `wine` wrapper picks the 32-bit one whenever it is installed. Some hosts cannot
# execute 32-bit programs at all; --arch finds out, and INKVANE_WIN_ARCH=i686|x86_64 forces
# the answer.
#
# One prefix per build tree and logical DPI: BUILD_DIR/wine/dpiN, N from INKVANE_DPI
# (default 96). INKVANE_PREFIX=NAME gives a program a prefix of its own beside the test
# suite's, BUILD_DIR/wine/NAME-dpiN (the demo of tools/run.sh), which never uses a running
# suite's display. The DPI is fixed when the prefix is made, so no run ever has to restart a
# wineserver to change it; so are the prefix's extra drives (see test_drives below). Without
# a display, an Xvfb server is started (and stopped again by whoever started it).
# WINE_RUN_VERBOSE=1 prints what happens. Every failure of the harness prints the output of
# the command that failed and a line naming the likely cause.
set -euo pipefail
shopt -s inherit_errexit

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
dpi=${INKVANE_DPI:-96}
# A caller's own overrides (a test's) are kept, after the ones every run needs. Wine's error
# messages are on, so that a failed program's log holds them; the live output leaves them out.
export WINEDEBUG=${WINEDEBUG:--all,err+all} WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
wine_message='^([0-9a-f]+:)*(err|fixme|warn|trace):'  # Wine's own lines: "0024:err:module:..."
# The loaders; the harness's own test replaces them to play a host that cannot run one.
loader32=${WINE_RUN_LOADER32:-/usr/lib/wine/wine}
loader64=${WINE_RUN_LOADER64:-/usr/lib/wine/wine64}

say() { if [ "${WINE_RUN_VERBOSE:-0}" = 1 ]; then echo "wine-run: $*" >&2; fi; }

# Ends the harness: the output of what failed (LOG), then one line with the likely cause.
fail() {  # CAUSE [LOG]
  if [ -n "${2:-}" ] && [ -s "$2" ]; then
    echo "wine-run: output of the failed command:" >&2
    sed 's/^/  | /' "$2" >&2
  fi
  echo "wine-run: FAILED: $1" >&2
  exit 2
}

# The likely cause of a failed Wine command, from its output and the state of the host;
# nothing when neither shows a fault of the harness's own.
diagnose() {  # [LOG]
  local log=${1:-/dev/null} bits=64
  [ "$loader" = "$loader32" ] && bits=32
  if [ ! -x "$loader" ]; then
    echo "$bits-bit Wine is not installed ($loader is missing; tools/install-deps.sh installs it)"
  elif grep -q 'Exec format error' "$log" || ! "$loader" --version >/dev/null 2>&1; then
    if [ "$bits" = 32 ]; then
      echo "this host cannot execute 32-bit programs ($loader does not start); test the" \
           "x86_64 build (tools/test.sh chooses it on such hosts; INKVANE_WIN_ARCH=x86_64)"
    else
      echo "this host cannot execute 64-bit Wine ($loader does not start)"
    fi
  elif grep -q 'is not owned by you' "$log"; then
    echo "prefix creation failed: $WINEPREFIX belongs to another user"
  elif grep -Eq 'Permission denied|Operation not permitted|Read-only file system|No space left' "$log"; then
    echo "prefix creation failed: $WINEPREFIX cannot be written"
  elif [ -n "${DISPLAY:-}" ] && ! DISPLAY=$DISPLAY xdotool getdisplaygeometry >/dev/null 2>&1; then
    echo "no display: DISPLAY=$DISPLAY cannot be opened"
  fi
}

# Runs a Wine command with its output in LOG; on failure ends with that output and the
# likely cause, CAUSE where neither the output nor the host shows a more precise one.
wine_step() {  # CAUSE LOG COMMAND...
  local cause=$1 log=$2
  shift 2
  "$@" >"$log" 2>&1 </dev/null || {
    local status=$? found
    found=$(diagnose "$log")
    fail "${found:-$cause (exit status $status)}" "$log"
  }
}

# The architecture of a Windows program, from the machine field of its PE header.
pe_arch() {  # FILE
  local offset machine
  [ -f "$1" ] || fail "$1 does not exist (is the tree built?)"
  offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  machine=$(od -An -tx2 -j"$((offset + 4))" -N2 "$1" | tr -d ' ')
  case "$machine" in
    014c) echo i686 ;;
    8664) echo x86_64 ;;
    *) fail "$1 is neither an i686 nor an x86_64 Windows program (machine $machine)" ;;
  esac
}

use_arch() {  # i686 | x86_64: sets the loader and the kind of prefix
  if [ "$1" = i686 ]; then
    loader=$loader32
    export WINEARCH=win32
  else
    loader=$loader64
    export WINEARCH=win64
  fi
}

# The build tree that holds a file: the nearest folder upwards with a CMakeCache.txt.
build_dir_of() {
  local d
  d=$(cd "$(dirname "$1")" && pwd)
  while [ "$d" != / ]; do
    [ -f "$d/CMakeCache.txt" ] && { echo "$d"; return; }
    d=$(dirname "$d")
  done
  fail "$1 is not inside a build tree"
}

# Drives of every type Wine can make, beside C: (a fixed disk): LETTER:TYPE, each letter
# linked to the folder PREFIX/drives/LETTER and typed in HKLM\Software\Wine\Drives. Wine
# reads the types when a wineserver starts, so they are set when the prefix is made, before
# any suite starts its wineserver. T: is a fixed disk whose folder a test may mount a small
# file system on, to know its free space. Q: stays unmapped. S: stands for the folder
# C:\inkvane-subst, as a drive letter made with SUBST does (a fixed disk, like C:).
test_drives="d:floppy e:cdrom f:network g:hd t:hd"
subst_folder=inkvane-subst
# What a ready prefix holds; a prefix made for an older layout is made again.
prefix_layout="drives: $test_drives s:hd (c: inkvane-subst); Tahoma links to WenQuanYi; https opens the browser recorder"

# Every program of a tree has the tree's architecture; the installer is always there.
use_tree_arch() { use_arch "$(pe_arch "$1/InkvaneSetup.exe")"; }

prefix_name() {  # DPI
  echo "${INKVANE_PREFIX:+$INKVANE_PREFIX-}dpi$1"
}

make_prefix() {  # BUILD_DIR DPI
  local prefix name
  name=$(prefix_name "$2")
  prefix="$1/wine/$name"
  [ "$(cat "$prefix/.ready" 2>/dev/null)" = "$prefix_layout" ] && { echo "$prefix"; return; }
  local err
  err=$({ mkdir -p "$1/wine" && : >>"$1/wine/.lock"; } 2>&1) ||
    fail "prefix creation failed: the folder $1/wine cannot be written ($err)"
  (
    flock 9
    if [ "$(cat "$prefix/.ready" 2>/dev/null)" != "$prefix_layout" ]; then
      say "creating $prefix ($WINEARCH)"
      local log="$1/wine/create-$name.log"
      export WINEPREFIX="$prefix"
      # A prefix of an older layout may still have its wineserver.
      [ -d "$prefix" ] && { wineserver -k 2>/dev/null || true; }
      rm -rf "$prefix" 2>"$log" || fail "prefix creation failed: $prefix cannot be removed" "$log"
      wine_step "prefix creation failed: wineboot -i in $prefix" "$log" "$loader" wineboot -i
      local drive letter drive_types=""
      for drive in $test_drives; do
        letter=${drive%%:*}
        mkdir -p "$prefix/drives/$letter"
        ln -sfn "../drives/$letter" "$prefix/dosdevices/$letter:"
        drive_types+="\"$letter:\"=\"${drive#*:}\""$'\n'
      done
      mkdir -p "$prefix/drive_c/$subst_folder"
      ln -sfn "../drive_c/$subst_folder" "$prefix/dosdevices/s:"
      drive_types+='"s:"="hd"'$'\n'
      # The system's own dialogs (the shell's folder browser) draw Chinese text with
      # Tahoma's fallback font, as they would on a Chinese Windows. REG_MULTI_SZ, in bytes.
      local fontlink
      fontlink=$(printf 'wqy-microhei.ttc,WenQuanYi Micro Hei\0\0' | od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//;s/,$//')
      local logpixels reg recorder
      logpixels=$(printf '%08x' "$2")
      recorder="$here/browser-recorder.sh"
      reg="$1/wine/settings-$name.reg"
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
      local winreg
      wine_step "prefix creation failed: winepath in $prefix" "$log" "$loader" winepath -w "$reg"
      winreg=$(tr -d '\r' < "$log")
      wine_step "prefix creation failed: regedit in $prefix" "$log" "$loader" regedit /S "$winreg"
      # Web addresses go to the tree's browser recorder, which opens nothing and appends each
      # address, with the process that started it, to browser.log in the prefix. The shell
      # reads the machine's classes only (Wine 8 ignores HKCU\Software\Classes for this).
      # Anything that still reaches Wine's own browser goes to the shell recorder above.
      local browser="Z:${1//\//\\}\\tests\\inkvane_browser_recorder.exe" browser_log="Z:${prefix//\//\\}\\browser.log"
      wine_step "prefix creation failed: registering the browser recorder in $prefix" "$log" \
        "$loader" reg add 'HKLM\Software\Classes\https\shell\open\command' /ve /f \
        /d "\"$browser\" \"$browser_log\" \"%1\""
      # The tree's test CA (made here once, in wine/test-pki) is trusted in the prefix only.
      "$here/../tools/vendor/make-test-pki.sh" "$1/wine/test-pki" >"$log" 2>&1 ||
        fail "prefix creation failed: the test PKI could not be made" "$log"
      [ -f "$1/tests/inkvane_trust_root.exe" ] ||
        fail "prefix creation failed: $1/tests/inkvane_trust_root.exe is not built"
      wine_step "prefix creation failed: winepath in $prefix" "$log" "$loader" winepath -w "$1/wine/test-pki/ca.der"
      local winca
      winca=$(tr -d '\r' < "$log")
      wine_step "prefix creation failed: trusting the test CA in $prefix" "$log" \
        "$loader" "$1/tests/inkvane_trust_root.exe" "$winca"
      wine_step "prefix creation failed: waiting for its wineserver to end" "$log" wineserver -w
      echo "$prefix_layout" > "$prefix/.ready"
    fi
  ) 9>"$1/wine/.lock"
  echo "$prefix"
}

# Xvfb picks a free display number itself (-displayfd) and writes it once it listens. A
# number chosen here from the free ones could be taken by another suite's Xvfb before this one
# binds it; both suites would then share one screen and one pointer, and this suite's Xvfb
# would be the one that failed.
start_xvfb() {  # LOG; sets xvfb_display and xvfb_pid
  local number_file n=
  number_file=$(mktemp "${TMPDIR:-/tmp}/wine-run-display.XXXXXX")
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp </dev/null >"$1" 2>&1 3>"$number_file" &
  xvfb_pid=$!
  for _ in $(seq 200); do
    n=$(tr -dc 0-9 <"$number_file")
    [ -n "$n" ] && [ -e "/tmp/.X11-unix/X$n" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
  done
  rm -f "$number_file"
  [ -n "$n" ] && [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$xvfb_pid" 2>/dev/null ||
    fail "no display: Xvfb did not start within 10 s" "$1"
  say "Xvfb :$n (pid $xvfb_pid)"
  xvfb_display=":$n"
}

suite_display() {  # the display a running suite set up, if its Xvfb still lives
  local state="$1/wine/suite"
  if [ -z "${INKVANE_PREFIX:-}" ] && [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
    cat "$state/display"
  fi
}

# The host's choice: i686 where 32-bit programs run, x86_64 where they cannot.
choose_arch() {
  local out
  case "${INKVANE_WIN_ARCH:-}" in
    i686 | x86_64) echo "$INKVANE_WIN_ARCH forced by INKVANE_WIN_ARCH=$INKVANE_WIN_ARCH"; return ;;
    "") ;;
    *) fail "INKVANE_WIN_ARCH must be i686 or x86_64, not '$INKVANE_WIN_ARCH'" ;;
  esac
  if out=$("$loader32" --version 2>&1); then
    echo "i686 this host runs 32-bit programs ($loader32 --version: $out)"
  else
    out=$(sed -n '$s/^.*: line [0-9]*: //p' <<<"$out")  # the last line, without bash's prefix
    echo "x86_64 this host cannot execute 32-bit programs ($loader32 --version: $out)"
  fi
}

case "${1:-}" in
  --arch)
    choose_arch
    exit 0
    ;;
  --setup)
    build=$(cd "$2" && pwd)
    state="$build/wine/suite"
    mkdir -p "$state"
    use_tree_arch "$build"
    if [ -z "${DISPLAY:-}" ] && [ -z "$(suite_display "$build")" ]; then
      start_xvfb "$state/xvfb.log"
      echo "$xvfb_display" > "$state/display"
      echo "$xvfb_pid" > "$state/xvfb.pid"
    fi
    display=$(suite_display "$build")
    export DISPLAY=${display:-$DISPLAY}
    xdotool getdisplaygeometry >"$state/display.log" 2>&1 ||
      fail "no display: DISPLAY=$DISPLAY cannot be opened" "$state/display.log"
    for d in 96 144; do
      WINEPREFIX=$(make_prefix "$build" "$d")
      export WINEPREFIX
      # What a suite that was not torn down left running goes first. The daemons must not
      # hold the test runner's output pipes open.
      if wineserver -k0 2>/dev/null; then
        wineserver -k 2>/dev/null || true
        wineserver -w
      fi
      wine_step "wineserver did not start in $WINEPREFIX" "$state/wineserver-dpi$d.log" wineserver -p
      # The desktop, started here and detached, stays up for the suite (desktop_keeper.cpp).
      keeper_log="$state/desktop-dpi$d.log"
      "$loader" "$build/tests/inkvane_desktop_keeper.exe" </dev/null >"$keeper_log" 2>&1 &
      for _ in $(seq 300); do
        grep -qs ready "$keeper_log" && break
        kill -0 $! 2>/dev/null || break
        sleep 0.05
      done
      if ! grep -qs ready "$keeper_log"; then
        cause=$(diagnose "$keeper_log")
        fail "${cause:-the desktop did not start in $WINEPREFIX}" "$keeper_log"
      fi
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
    use_tree_arch "$build"
    export WINEPREFIX
    WINEPREFIX=$(make_prefix "$build" "$dpi")
    exec "$loader" "$build/tests/inkvane_trust_root.exe" "$("$loader" winepath -w "$cert" | tr -d '\r')"
    ;;
  --builtin)
    build=$(cd "$2" && pwd)
    shift 2
    use_tree_arch "$build"
    export WINEPREFIX
    WINEPREFIX=$(make_prefix "$build" "$dpi")
    exec "$loader" "$@"
    ;;
  "")
    echo "usage: wine-run.sh PROGRAM.exe [ARGS...] | --setup DIR | --teardown DIR |" \
         "--trust CERT.der DIR | --builtin DIR NAME [ARGS...] | --arch" >&2
    exit 2
    ;;
esac

program="$1"
shift
build=$(build_dir_of "$program")
use_arch "$(pe_arch "$program")"
export WINEPREFIX
WINEPREFIX=$(make_prefix "$build" "$dpi")

own_xvfb=
display=$(suite_display "$build")
if [ -n "$display" ]; then
  export DISPLAY="$display"
elif [ -z "${DISPLAY:-}" ]; then
  start_xvfb /dev/null
  export DISPLAY="$xvfb_display"
  own_xvfb=$xvfb_pid
fi

# The program's standard error (with Wine's messages) reaches the caller as it comes, without
# Wine's messages, and is kept in a log; a failed run prints the whole log, so that a failure
# always shows what the program and Wine said. (A program's standard output goes straight to
# the caller.)
runs="$build/wine/runs"
mkdir -p "$runs"
name=$(basename "$program" .exe)
log=$(mktemp "$runs/$name.XXXXXX.log")
status=0
started=$EPOCHREALTIME
exec {errors}> >(tee "$log" | { grep --line-buffered -Ev "$wine_message" || true; } >&2)
stream=$!
"$loader" "$program" "$@" 2>&"$errors" {errors}>&- || status=$?
exec {errors}>&-
# tee ends when the program's standard error closes; a Wine process that the program left
# running (a new wineserver or desktop) may hold it open, so wait a little, not forever.
for _ in $(seq 40); do kill -0 "$stream" 2>/dev/null || break; sleep 0.05; done
if [ "$status" -ne 0 ]; then
  elapsed=$(awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }')
  echo "wine-run: $name.exe ended with exit status $status after ${elapsed} s" \
       "(load average $(cut -d' ' -f1-3 /proc/loadavg))" >&2
  if [ -s "$log" ]; then
    echo "wine-run: its standard error, with Wine's messages ($log):" >&2
    sed 's/^/  | /' "$log" >&2
  else
    echo "wine-run: it wrote nothing to standard error, and Wine reported no error ($log)" >&2
  fi
  if ! wineserver -k0 2>/dev/null; then
    echo "wine-run: no wineserver runs in $WINEPREFIX any more" >&2
  fi
  cause=$(diagnose "$log")
  if [ -n "$cause" ]; then echo "wine-run: FAILED: $cause" >&2; fi
else
  rm -f "$log"
fi
if [ -n "$own_xvfb" ]; then
  wineserver -w
  kill "$own_xvfb" 2>/dev/null || true
fi
exit "$status"
