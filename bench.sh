#!/usr/bin/env bash
# Builds the benchmarks in Release (build-bench/) and runs them: each one
# repeated, with the mean, median and spread of the repetitions reported.
# Extra arguments go to the benchmark program and win over these defaults,
# e.g.  ./bench.sh --benchmark_filter=Frame  or  --benchmark_repetitions=20
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh libbenchmark-dev
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQUIBBO_BENCH=ON -DQUIBBO_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target quibbo_bench
exec build-bench/bench/quibbo_bench --benchmark_repetitions=9 \
    --benchmark_report_aggregates_only=true "$@"
