#!/usr/bin/env bash
# Installs what is missing, builds Quorrel and starts its window.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORREL_BUILD_TESTS=OFF
cmake --build build --target Quorrel quorrel-cli
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No desktop display found; start it under Xvfb with: xvfb-run build/bin/Quorrel" >&2
fi
exec build/bin/Quorrel
