#!/usr/bin/env bash
# Starts satemu on a pseudo-terminal, points the library at it and calls it through cfecli.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build}/bin
echo "demo: the emulator and the command-line front end are not built yet"
"$bin"/../bin/cfecli SetDriver VERSAO "" 2>/dev/null || true
