#!/usr/bin/env bash
# Starts the device emulator, points the driver library at it and starts cfetool.
# Usage: scripts/run-tool.sh [BUILD_DIR]   (default: build; needs satemu, cfetool and libcfedriver.so built)
# Exits 3 without starting anything when there is no display.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
bin=$build/bin

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run-tool: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); cfetool not started"
  exit 3
fi
for f in satemu cfetool libcfedriver.so; do
  [ -e "$bin/$f" ] || { echo "run-tool: $bin/$f is missing; build first" >&2; exit 1; }
done

work=$(mktemp -d)
emu_pid=
cleanup() {
  if [ -n "$emu_pid" ]; then kill "$emu_pid" 2>/dev/null || true; wait "$emu_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

"$bin/satemu" --ini "$work/sat.ini" >"$work/satemu.out" 2>"$work/satemu.err" &
emu_pid=$!
for _ in $(seq 50); do
  [ -s "$work/sat.ini" ] && [ -s "$work/satemu.out" ] && break
  kill -0 "$emu_pid" 2>/dev/null || { cat "$work/satemu.err" >&2; exit 1; }
  sleep 0.1
done
[ -s "$work/sat.ini" ] || { echo "run-tool: satemu did not write $work/sat.ini" >&2; exit 1; }
echo "run-tool: satemu is the SAT on $(head -n1 "$work/satemu.out"); starting cfetool"

export CFEDRIVER_INI=$work/sat.ini
# cfetool keeps Parametros.xml in its working folder: the build folder, out of the sources.
cd "$build"
"$bin/cfetool"
