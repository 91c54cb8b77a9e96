#!/usr/bin/env bash
# wine-run.sh <64|32> EXE [ARGS...]: runs a cross-built Windows program under Wine, headless, and
# exits with its exit code. Made to be CMake's CMAKE_CROSSCOMPILING_EMULATOR ("wine-run.sh;64").
# wine-run.sh <64|32> --prefix: only makes sure the Wine prefix exists and prints its path
# (with-satemu.sh maps its COM port there).
#
# Environment:
#   WINEPREFIX        the prefix to use; default $CFE_WINE_CACHE/prefix64 or prefix32. Each
#                     bitness has its own, the 32-bit one a 32-bit Windows (WINEARCH=win32), so
#                     that either suite runs whether or not the other Wine is installed.
#   CFE_WINE_CACHE    where the prefixes and the built ioctl shims live; default /tmp/cfe-wine.
#   CFE_WINE_PERSIST  seconds the Wine session outlives its last program; default 5.
#
# A new prefix is made with `wineboot -i` under a flock on a file inside it, so parallel ctest
# runs wait for the first one instead of booting the same prefix twice; a marker file says the
# boot is complete. The tests' ioctl shim (tiocm_shim.c, pty modem lines) is compiled into
# $CFE_WINE_CACHE/lib/<multiarch>/ when missing or older than its source, and preloaded through
# ld.so's $LIB, so that each process (the 32-bit loader and the 64-bit wineserver alike) gets the
# one of its own bitness.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
usage() { echo "usage: wine-run.sh <64|32> EXE [ARGS...] | wine-run.sh <64|32> --prefix" >&2; exit 2; }
[ $# -ge 2 ] || usage
bits=$1
shift
case $bits in
  64) loader=/usr/lib/wine/wine64 ;;
  32) loader=/usr/lib/wine/wine; export WINEARCH=win32 ;;
  *) usage ;;
esac
[ -x "$loader" ] || { echo "wine-run: $loader is missing (scripts/install-wine.sh installs it)" >&2; exit 1; }

cache=${CFE_WINE_CACHE:-/tmp/cfe-wine}
export WINEPREFIX=${WINEPREFIX:-$cache/prefix$bits}
export WINEDEBUG=-all
# No .NET or Gecko installer prompts while a prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Headless on every machine, whether or not a display happens to be set.
unset DISPLAY WAYLAND_DISPLAY

build_shim() { # build_shim 64|32
  local multiarch flag
  if [ "$1" = 64 ]; then multiarch=x86_64-linux-gnu flag=-m64; else multiarch=i386-linux-gnu flag=-m32; fi
  local src=$here/tiocm_shim.c out=$cache/lib/$multiarch/tiocm_shim.so
  [ -f "$out" ] && [ "$out" -nt "$src" ] && return
  mkdir -p "${out%/*}"
  (
    flock 9
    [ -f "$out" ] && [ "$out" -nt "$src" ] && exit
    gcc "$flag" -shared -fPIC -O2 -Wall -Werror -o "$out.$$" "$src" ||
      { echo "wine-run: could not build the $1-bit shim (gcc-multilib for 32)" >&2; exit 1; }
    mv -f "$out.$$" "$out"
  ) 9>"$cache/lib/shim.lock"
}

ensure_prefix() {
  [ -f "$WINEPREFIX/.cfe-ready-2" ] && return
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    [ -f "$WINEPREFIX/.cfe-ready-2" ] && exit
    "$loader" wineboot -i </dev/null >/dev/null 2>&1 9>&- || { echo "wine-run: wineboot -i failed in $WINEPREFIX" >&2; exit 1; }
    # Wine's mount manager remakes the comN links of dosdevices at every session start, and
    # gives COM5 to /dev/ttyS4 where that exists; so COM5 is reserved here for the tests, as a
    # link that with-satemu.sh points at its pty.
    "$loader" reg add 'HKLM\Software\Wine\Ports' /v COM5 /t REG_SZ /d "$WINEPREFIX/com5.pty" /f \
      </dev/null >/dev/null 2>&1 9>&- || { echo "wine-run: could not reserve COM5 in $WINEPREFIX" >&2; exit 1; }
    # A program that crashes ends at once with its exception code: the debugger Wine would
    # start instead waits for a display, and the test would hang until its time-out.
    "$loader" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ \
      /d cfe-no-debugger /f </dev/null >/dev/null 2>&1 9>&- || { echo "wine-run: could not turn the debugger off" >&2; exit 1; }
    # wineboot leaves services finishing the prefix; wait for the server to go idle.
    /usr/lib/wine/wineserver -w
    touch "$WINEPREFIX/.cfe-ready-2"
  ) 9>"$WINEPREFIX/.cfe-boot.lock"
}

# The first program of a Wine session starts the session's system processes (services, device
# drivers), and they keep that program's stdout and stderr open for as long as the session lasts:
# ctest would then see a finished test as running until a test beside it ends. So the session is
# started here with a server that outlives its last client by a few seconds (the next test reuses
# it, which also saves about 0.6 s a run) and system processes whose output goes nowhere.
start_session() {
  (
    flock 9
    # Exit status 2: a server for this prefix is already running. The lock is not handed down:
    # the server would hold it for as long as it lives.
    if /usr/lib/wine/wineserver -p"${CFE_WINE_PERSIST:-5}" </dev/null >/dev/null 2>&1 9>&-; then
      "$loader" cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&-
    fi
  ) 9>"$WINEPREFIX/.cfe-session.lock"
}

build_shim 64
[ "$bits" = 64 ] || build_shim 32
export LD_PRELOAD="$cache/\$LIB/tiocm_shim.so${LD_PRELOAD:+ $LD_PRELOAD}"
ensure_prefix
if [ "$1" = --prefix ]; then
  echo "$WINEPREFIX"
  exit 0
fi
start_session
exec "$loader" "$@"
