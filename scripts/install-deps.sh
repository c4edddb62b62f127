#!/usr/bin/env bash
# Installs the Debian packages Quorrel needs that are not there yet.
# Usage: install-deps.sh [run|test|screenshot]
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev)
case "${1:-test}" in
    run) ;;
    test) packages+=(clang-14 libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
                     clang-format-14 xvfb xauth) ;;
    screenshot) packages+=(xvfb xauth x11-utils imagemagick xdotool) ;;
    *) echo "usage: $0 [run|test|screenshot]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
