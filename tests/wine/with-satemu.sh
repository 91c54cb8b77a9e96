#!/usr/bin/env bash
# with-satemu.sh SATEMU COMMAND [ARGS...]: the Wine counterpart of tests/support/with-satemu.sh.
# Starts the (Linux) emulator SATEMU on a pseudo-terminal, makes that pty the port COM5 of the Wine
# prefix that wine-run.sh uses, runs COMMAND and exits with its status after stopping the emulator.
#
# COMMAND sees CFE_TEST_COM=COM5 and CFE_TEST_PTY=/dev/pts/N.
#
# The prefix is the one of `wine-run.sh <bits>`: bits from CFE_WINE_BITS, or else the bits argument
# when COMMAND is wine-run.sh itself, with or without "bash" before it (as CMake's emulator line
# gives it).
#
# Parallel tests: every run holds a flock on the prefix's COM5 for its whole length, so tests that
# need the emulator run one after another while the others stay parallel. A prefix per run would
# cost a wineboot each (9-14 s here) against a second or so of waiting. The wait counts toward the
# waiting test's ctest TIMEOUT: behind a test that hangs, the next one may time out as well.
#
# The port: Wine opens \\.\COM5 through the symlink $WINEPREFIX/dosdevices/com5, resolved at every
# CreateFile, so a wineserver already running for the prefix needs no restart. The mount manager
# remakes that link at each session start from the prefix's registry, where wine-run.sh reserved
# COM5 as $WINEPREFIX/com5.pty; this script points com5.pty at the emulator's pty.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[ $# -ge 2 ] || { echo "usage: with-satemu.sh SATEMU COMMAND [ARGS...]" >&2; exit 2; }
satemu=$1
shift
bits=${CFE_WINE_BITS:-}
if [ -z "$bits" ]; then
  words=("$@")
  w0=${words[0]:-}
  [ "${w0##*/}" != bash ] || words=("${words[@]:1}")
  w0=${words[0]:-}
  [ "${w0##*/}" != wine-run.sh ] || bits=${words[1]:-}
fi
[ -n "$bits" ] || { echo "with-satemu: set CFE_WINE_BITS to 64 or 32 (COMMAND is not wine-run.sh)" >&2; exit 2; }
prefix=$("$here/wine-run.sh" "$bits" --prefix)
link=$prefix/com5.pty

exec 8>"$prefix/.cfe-com5.lock"
flock 8

work=$(mktemp -d)
emulator=
stop() {
  if [ -n "$emulator" ]; then kill "$emulator" 2>/dev/null || true; wait "$emulator" 2>/dev/null || true; fi
  rm -f "$link"
  rm -rf "$work"
}
trap stop EXIT

# Children get no copy of the lock: a wineserver they start would keep it after this script.
"$satemu" >"$work/satemu.out" 2>"$work/satemu.err" 8>&- &
emulator=$!
# satemu prints the slave path once the pty is ready.
for _ in $(seq 200); do
  [ -s "$work/satemu.out" ] && break
  kill -0 "$emulator" 2>/dev/null || { echo "with-satemu: satemu ended early:" >&2; cat "$work/satemu.err" >&2; exit 1; }
  sleep 0.05
done
[ -s "$work/satemu.out" ] || { echo "with-satemu: satemu did not start within 10 s" >&2; exit 1; }
pty=$(head -n 1 "$work/satemu.out")
[ -c "$pty" ] || { echo "with-satemu: satemu printed '$pty', not a pty" >&2; exit 1; }
ln -sfn "$pty" "$link"
# Until the next session start the mount manager may not have made this one yet.
ln -sfn "$link" "$prefix/dosdevices/com5"

export CFE_TEST_COM=COM5 CFE_TEST_PTY=$pty
status=0
"$@" 8>&- || status=$?
exit "$status"
