#!/usr/bin/env bash
# Installs what the project needs from Debian's packages. Safe to run again:
# packages already present are not fetched.
# Usage: scripts/install-deps.sh [screenshots]   (screenshots: also the window manager
# that scripts/screenshots.sh runs on the virtual display)
set -euo pipefail
packages=(cmake ninja-build g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev xvfb xauth binutils
  dpkg-dev file python3 desktop-file-utils
  libcpp-httplib-dev nlohmann-json3-dev openssl chromium)
if [ "${1:-}" = screenshots ]; then
  packages+=(openbox fonts-dejavu-core)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
