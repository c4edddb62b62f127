#!/usr/bin/env bash
# Builds the benchmarks as the program ships (RelWithDebInfo) and runs them: the micro-benchmarks
# (3 repetitions each; further arguments go to quorrel-bench, e.g. --benchmark_filter=Compose),
# then quorrel-cli end to end against cp (BENCH_RUNS runs, 5 by default), whose last line is the
# ratio of the medians.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh test
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORREL_BUILD_BENCH=ON \
    -DQUORREL_BUILD_TESTS=OFF -DQUORREL_BUILD_UI=OFF
cmake --build build-bench -j "$(nproc)" --target quorrel-bench quorrel-bench-data quorrel-measure quorrel-durable-copy \
    quorrel-bench-images \
    quorrel-cli

echo "== micro-benchmarks"
build-bench/bin/quorrel-bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true "$@"
echo "== end to end"
bash bench/end-to-end.sh build-bench "${BENCH_RUNS:-5}"
