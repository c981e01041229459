#!/usr/bin/env bash
# Builds the release benchmarks and runs them all (or those named: tools/run-bench.sh strings variant).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake --preset release
cmake --build --preset release -j "$(nproc)"
if [ $# -eq 0 ]; then set -- $(cd build/release/bin && ls bench_* | grep -v "^bench_bare_window$" | sed "s/^bench_//"); fi
for b in "$@"; do
  echo "== $b"
  "build/release/bin/bench_$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
done
