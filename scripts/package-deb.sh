#!/usr/bin/env bash
# Builds the Debian package quorrel_VERSION_ARCH.deb in a Release tree of its own (default
# build-deb) and checks it with lintian, installing what is missing first. The tree is
# configured for the package's layout, so it is not one to install from by hand.
# Usage: package-deb.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-deb}

bash scripts/install-deps.sh package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORREL_BUILD_TESTS=OFF \
    -DQUORREL_DEB_LAYOUT=ON -DCMAKE_INSTALL_PREFIX=/usr
cmake --build "$build"
rm -f "$build"/quorrel_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/quorrel_*.deb)
# Errors fail; warnings show.
lintian --fail-on error "$deb"
echo "Wrote $deb"
