#!/usr/bin/env bash
# Photographs the windows of cfetool, frames and titles included, into screenshots/:
# a virtual X display (Xvfb) with a small window manager (openbox), and the
# workflows driven against the fake driver library.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bash scripts/install-deps.sh screenshots
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S . -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build" --target cfetool_screenshots

work=$(mktemp -d)
xvfb_pid=
wm_pid=
cleanup() {
  for pid in $wm_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT INT TERM
# Waits up to 10 s for a non-empty file that a started program writes; fails with its log when
# the program ends first.  espera FILE PID LOG NAME
espera() {
  for _ in $(seq 100); do
    [ -s "$1" ] && return 0
    kill -0 "$2" 2>/dev/null || { cat "$3" >&2; exit 1; }
    sleep 0.1
  done
  echo "screenshots: $4 did not start" >&2
  exit 1
}

# Xvfb picks a free display number and writes it to the file.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.err" &
xvfb_pid=$!
espera "$work/display" "$xvfb_pid" "$work/xvfb.err" Xvfb
export DISPLAY=:$(head -n1 "$work/display")

# openbox runs the --startup command once it manages the screen.
HOME=$work openbox --startup "sh -c 'echo ready >$work/wm-ready'" >"$work/openbox.log" 2>&1 &
wm_pid=$!
espera "$work/wm-ready" "$wm_pid" "$work/openbox.log" openbox

rm -f screenshots/*.png
QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work "$build"/bin/cfetool_screenshots screenshots
