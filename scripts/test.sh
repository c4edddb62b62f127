#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: a g++ build (benchmarks built,
# not run), then a clang build with AddressSanitizer and UndefinedBehaviorSanitizer for the engine,
# settings and command line, then each fuzz target for a bounded time (scripts/fuzz.sh), then the
# Windows cross-build with its tests under wine (scripts/test-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/install-deps.sh test windows

echo "== formatting"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run -Werror

echo "== g++ build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORREL_BUILD_BENCH=ON \
    -DQUORREL_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== clang build with sanitizers"
CXX=clang++-14 cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DQUORREL_SANITIZE=ON -DQUORREL_BUILD_UI=OFF -DQUORREL_WERROR=ON
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

bash scripts/fuzz.sh

echo "== Windows cross-build and tests under wine"
bash scripts/test-windows.sh
