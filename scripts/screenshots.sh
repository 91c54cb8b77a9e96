#!/usr/bin/env bash
# Renders every page and dialog of cfetool to PNG under screenshots/, offscreen.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S . -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build" --target cfetool_screenshots
rm -f screenshots/*.png
QT_QPA_PLATFORM=offscreen "$build"/bin/cfetool_screenshots screenshots
