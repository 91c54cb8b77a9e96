#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each from its seed corpus
# (tests/fuzz/corpus/<target without fuzz_>), one after the other.
#   scripts/fuzz.sh [seconds per target, default 10] [target ...]   (default: every target)
#   FUZZ_RUNS=1000000 scripts/fuzz.sh 0 fuzz_recepcao               (a number of executions instead)
# New inputs found go to a temporary folder. A crash, leak, time-out or
# sanitizer report stops the script; the input is kept in build-fuzz/falhas/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
shift || true
if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for f in tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCFE_BUILD_FUZZ=ON -DCFE_BUILD_TESTS=OFF \
  -DCFE_BUILD_TOOL=ON -DCFE_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build-fuzz/falhas
limit=(-max_total_time="$seconds")
if [ -n "${FUZZ_RUNS:-}" ]; then limit=(-runs="$FUZZ_RUNS"); fi
export QT_QPA_PLATFORM=offscreen
for t in "${targets[@]}"; do
  corpus="$work/${t#fuzz_}"
  mkdir -p "$corpus"
  cp tests/fuzz/corpus/"${t#fuzz_}"/* "$corpus"/
  status=0
  build-fuzz/bin/"$t" "${limit[@]}" -max_len=4096 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix=build-fuzz/falhas/"$t"- "$corpus" >"$work/$t.log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$t.log")
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$work/$t.log")
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$work/$t.log"
    echo "$t: FAILED after ${runs:-?} executions; input in build-fuzz/falhas/"
    exit 1
  fi
  echo "$t: ${runs} executions clean, peak RSS ${rss} MB"
done
