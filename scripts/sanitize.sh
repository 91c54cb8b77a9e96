#!/usr/bin/env bash
# Builds the library, the emulator and their tests with AddressSanitizer + UndefinedBehaviorSanitizer
# and runs them; then builds the concurrency tests under ThreadSanitizer and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
common=(-DCFE_BUILD_TOOL=OFF -DCFE_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
bash scripts/build.sh build-asan "${common[@]}" -DCFE_SANITIZE=address
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$(nproc)"

# The test programs that hold the tests labelled "concurrency".
concurrency_targets=(api_concurrency_tests link_concurrency_test)
cmake -S . -B build-tsan -G Ninja "${common[@]}" -DCFE_SANITIZE=thread >/dev/null
cmake --build build-tsan -j"$(nproc)" --target "${concurrency_targets[@]}"
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure --no-tests=error -L concurrency
