#!/usr/bin/env bash
# Installs the Debian packages Quorrel needs that are not there yet.
# Usage: install-deps.sh MODE...   with MODE one of run, test, package, screenshot, windows
set -euo pipefail

build=(cmake ninja-build)
linux=(g++ pkg-config qt6-base-dev libgl-dev)
packages=()
for mode in "${@:-test}"; do
    case "$mode" in
        run) packages+=("${build[@]}" "${linux[@]}") ;;
        test) packages+=("${build[@]}" "${linux[@]}" clang-14 libclang-rt-14-dev googletest
                         libgtest-dev libbenchmark-dev clang-format-14 xvfb xauth
                         dosfstools acl) ;;
        package) packages+=("${build[@]}" "${linux[@]}" dpkg-dev fakeroot file lintian appstream
                            desktop-file-utils) ;;
        screenshot) packages+=("${build[@]}" "${linux[@]}" xvfb xauth x11-utils imagemagick
                               xdotool openbox x11-xkb-utils) ;;
        windows) packages+=("${build[@]}" g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
                            mingw-w64-x86-64-dev mingw-w64-tools googletest wine64 xvfb xauth
                            xdotool imagemagick zip unzip) ;;
        *) echo "usage: $0 run|test|package|screenshot|windows..." >&2; exit 2 ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
