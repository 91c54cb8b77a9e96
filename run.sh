#!/usr/bin/env bash
# Installs what is needed, builds, starts the device emulator and, with a display, the desktop
# tool cfetool against it; without a display, the command-line demo (cfecli) instead.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
bash scripts/build.sh build
status=0
bash scripts/run-tool.sh build || status=$?
if [ "$status" -ne 3 ]; then
  exit "$status"
fi
echo "run: no display here, so the cfecli demo runs instead of cfetool"
exec bash scripts/demo.sh build
