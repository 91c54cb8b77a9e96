#!/usr/bin/env bash
# Starts the device emulator satemu on a pseudo-terminal, points the library at it with a
# sat.ini of its own, and calls the library through cfecli. Usage: scripts/demo.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(cd "${1:-build}/bin" && pwd)

for program in satemu cfecli libcfedriver.so; do
  if [[ ! -e "$bin/$program" ]]; then
    echo "demo: $bin/$program is missing; build first (bash scripts/build.sh)" >&2
    exit 1
  fi
done

work=$(mktemp -d)
emulator=""
stop() {
  if [[ -n "$emulator" ]] && kill -0 "$emulator" 2>/dev/null; then
    kill "$emulator" 2>/dev/null || true
    wait "$emulator" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap stop EXIT
trap 'exit 130' INT TERM

"$bin/satemu" --ini "$work/sat.ini" >"$work/satemu.out" 2>"$work/satemu.err" &
emulator=$!

# satemu writes the sat.ini before it prints the slave path.
for _ in $(seq 1 100); do
  [[ -s "$work/satemu.out" ]] && break
  if ! kill -0 "$emulator" 2>/dev/null; then
    echo "demo: satemu ended early:" >&2
    cat "$work/satemu.err" >&2
    exit 1
  fi
  sleep 0.05
done
if [[ ! -s "$work/satemu.out" ]]; then
  echo "demo: satemu did not start" >&2
  exit 1
fi
echo "satemu: SAT device emulator on $(head -n 1 "$work/satemu.out")"

export CFEDRIVER_INI="$work/sat.ini"
export CFEDRIVER_LOG="$work/cfedriver.log"

run() {
  echo
  echo "\$ cfecli $(printf "%q " "$@")"
  "$bin/cfecli" "$@"
}
run ConsultarSAT 1
run ConsultarStatusOperacional 2 12345678
run SetDriver VERSAO ""
