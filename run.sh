#!/usr/bin/env bash
# Installs what is needed, builds, starts the device emulator and runs the demo against it.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
bash scripts/build.sh build
exec bash scripts/demo.sh build
