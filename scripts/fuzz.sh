#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each from its seed corpus
# (tests/fuzz/corpus/<target without fuzz_>), as many at once as there are cores.
#   scripts/fuzz.sh [seconds per target, default 10] [target ...]   (default: every target)
#   FUZZ_RUNS=1000000 scripts/fuzz.sh 0 fuzz_recepcao               (a number of executions instead)
# New inputs found go to a temporary folder. A crash, leak, time-out or
# sanitizer report fails the script; the input is kept in build-fuzz/falhas/.
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

# The tool's targets write files at every run: in memory, where the system has it.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The targets' own temporary folders (never removed by a run that ends in exit()) go with it.
export TMPDIR="$work"
mkdir -p build-fuzz/falhas
limit=(-max_total_time="$seconds")
if [ -n "${FUZZ_RUNS:-}" ]; then limit=(-runs="$FUZZ_RUNS"); fi
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$PWD/tests/fuzz/lsan.supp"

# One target: its log in $work/<target>.log, its exit status in $work/<target>.rc.
roda() {
  local t=$1 corpus="$work/${1#fuzz_}" status=0 extra=()
  # Qt's caches grow during the first runs of the window, and a leak scan after
  # every such run would take most of the time: the window's leaks are looked
  # for once, when the process ends.
  if [ "$t" = fuzz_fluxos ]; then extra=(-detect_leaks=0); fi
  mkdir -p "$corpus"
  cp tests/fuzz/corpus/"${t#fuzz_}"/* "$corpus"/
  build-fuzz/bin/"$t" "${limit[@]}" -max_len=4096 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "${extra[@]}" \
    -artifact_prefix=build-fuzz/falhas/"$t"- "$corpus" >"$work/$t.log" 2>&1 || status=$?
  echo "$status" >"$work/$t.rc"
}

for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do sleep 0.2; done
  roda "$t" &
done
wait

falhou=0
for t in "${targets[@]}"; do
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$t.log")
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$work/$t.log")
  if [ "$(cat "$work/$t.rc")" -ne 0 ]; then
    tail -n 40 "$work/$t.log"
    echo "$t: FAILED after ${runs:-?} executions; input in build-fuzz/falhas/"
    falhou=1
  else
    echo "$t: ${runs} executions clean, peak RSS ${rss} MB"
  fi
done
exit "$falhou"
