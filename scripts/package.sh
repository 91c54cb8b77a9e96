#!/usr/bin/env bash
# Builds the Debian packages into build/packages/ (or BUILD_DIR/packages): libcfedriver3 (the
# library and the udev rule), libcfedriver-dev, cfetool and cfedriver-utils (satemu and cfecli).
# Usage: scripts/package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
bash scripts/install-deps.sh
# Installed under /usr, the library goes to the multiarch folder (/usr/lib/x86_64-linux-gnu).
bash scripts/build.sh "$dir" -DCMAKE_INSTALL_PREFIX=/usr
rm -rf "$dir/packages"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! (cd "$dir" && cpack -G DEB) >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi
ls -1 "$dir"/packages/*.deb
