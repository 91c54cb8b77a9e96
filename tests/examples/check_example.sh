#!/usr/bin/env bash
# check_example.sh SATEMU LIBDIR COMMAND [ARGS...]: runs one example of examples/ against the
# emulator, with LIBDIR on the library path; it must print the device's success replies and the
# driver's version, and exit 0.
set -euo pipefail
satemu=$1 libdir=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp)
trap 'rm -f "$out"' EXIT
show() { echo "$*:"; cat "$out"; exit 1; }
LD_LIBRARY_PATH=$libdir bash "$here/../support/with-satemu.sh" "$satemu" "$@" >"$out" 2>&1 || show "$* failed"
grep -q '^ConsultarSAT: [0-9]*|08000|SAT em operação||$' "$out" || show "$*: no 08000 reply"
grep -q '^ConsultarStatusOperacional: [0-9]*|10000|' "$out" || show "$*: no 10000 reply"
grep -qx 'driver 3.0.0.4' "$out" || show "$*: no version line"
echo "$*: ok"
