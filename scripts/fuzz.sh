#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and gives each a short run ($1 seconds, default 30).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCFE_BUILD_FUZZ=ON -DCFE_BUILD_TESTS=OFF \
  -DCFE_BUILD_TOOL=OFF -DCFE_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target fuzz_corrige
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp tests/fuzz/corpus/* "$corpus"/
build-fuzz/bin/fuzz_corrige -max_total_time="$seconds" -max_len=4096 "$corpus"
