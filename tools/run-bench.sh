#!/usr/bin/env bash
# Builds the release benchmarks and runs them all (or those named: tools/run-bench.sh strings variant).
# --brief runs each once for a short time under a time limit, as CI does: a crash, a hang or a
# benchmark that reports an error fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
brief=false
if [ "${1:-}" = "--brief" ]; then
  brief=true
  shift
fi
tools/deps.sh
cmake --preset release
cmake --build --preset release -j "$(nproc)" --target benchmarks
if [ $# -eq 0 ]; then set -- $(cd build/release/bin && ls bench_* | grep -v "^bench_bare_window$" | sed "s/^bench_//"); fi
# The window benchmarks draw through SDL's offscreen driver when there is no display.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then export SDL_VIDEODRIVER=offscreen; fi
failed=()
for b in "$@"; do
  echo "== $b"
  if ! $brief; then
    "build/release/bin/bench_$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
    continue
  fi
  log=$(mktemp)
  status=0
  timeout -k 10 "${KX_BENCH_TIME_LIMIT:-180}" "build/release/bin/bench_$b" --benchmark_min_time=0.01 2>&1 | tee "$log" ||
    status=$?
  if [ "$status" -eq 124 ]; then
    echo "bench_$b: did not finish within ${KX_BENCH_TIME_LIMIT:-180} s"
  elif [ "$status" -eq 0 ] && grep -q "ERROR OCCURRED" "$log"; then
    status=1
  fi
  rm -f "$log"
  [ "$status" -eq 0 ] || failed+=("bench_$b (status $status)")
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "failed: ${failed[*]}"
  exit 1
fi
