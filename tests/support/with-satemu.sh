#!/usr/bin/env bash
# with-satemu.sh SATEMU COMMAND [ARGS...]: starts the emulator SATEMU on a pseudo-terminal with a
# sat.ini of its own, runs COMMAND with CFEDRIVER_INI and CFEDRIVER_LOG pointing into a temporary
# folder, stops the emulator and exits with COMMAND's status.
set -euo pipefail
satemu=$1
shift
work=$(mktemp -d)
emulator=
stop() {
  if [ -n "$emulator" ]; then kill "$emulator" 2>/dev/null || true; wait "$emulator" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap stop EXIT

"$satemu" --ini "$work/sat/sat.ini" >"$work/satemu.out" 2>"$work/satemu.err" &
emulator=$!
# satemu writes the sat.ini before it prints the slave path.
for _ in $(seq 200); do
  [ -s "$work/satemu.out" ] && break
  kill -0 "$emulator" 2>/dev/null || { echo "with-satemu: satemu ended early:" >&2; cat "$work/satemu.err" >&2; exit 1; }
  sleep 0.05
done
[ -s "$work/satemu.out" ] || { echo "with-satemu: satemu did not start within 10 s" >&2; exit 1; }

export CFEDRIVER_INI=$work/sat/sat.ini CFEDRIVER_LOG=$work/cfedriver.log
status=0
"$@" || status=$?
exit "$status"
