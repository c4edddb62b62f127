#!/usr/bin/env bash
# Cross-builds the Windows programs, Quorrel.exe and quorrel-cli.exe, into build-windows/bin with
# Debian's mingw-w64, installing what is missing first. With --tests it builds the Windows tests
# too (scripts/test-windows.sh runs them under wine).
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(--target Quorrel quorrel-cli)
case "${1:-}" in
    --tests) targets=() ;;
    "") ;;
    *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh windows
cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DQUORREL_WERROR=ON
cmake --build build-windows -j "$(nproc)" "${targets[@]}"
