#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: a g++ build (benchmarks built,
# not run), then a clang build with AddressSanitizer and UndefinedBehaviorSanitizer for the engine,
# settings and command line, then each fuzz target for a bounded time (scripts/fuzz.sh), then the
# Windows cross-build with its tests under wine (scripts/test-windows.sh). Between them, the
# README's install steps in a Release tree, and the Debian package built from that same tree,
# checked, installed, run and removed.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/install-deps.sh test package windows

echo "== formatting"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run -Werror

echo "== g++ build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORREL_BUILD_BENCH=ON \
    -DQUORREL_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== the README's install steps (in build-release)"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
# Forget the package layout that the previous run left configured; the build itself stays.
rm -f build-release/CMakeCache.txt
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORREL_BUILD_TESTS=OFF
# Built as a user builds, warnings not fatal; but our own code must not warn here either.
cmake --build build-release 2>&1 | tee "$prefix/build.log"
if grep "warning:" "$prefix/build.log"; then echo "the Release build warns" >&2; exit 1; fi
cmake --install build-release --prefix "$prefix"
"$prefix/bin/quorrel-cli" --version
desktop-file-validate "$prefix/share/applications/quorrel.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.example.quorrel.metainfo.xml"

echo "== the Debian package: lintian, install, a run of the installed quorrel-cli, removal"
bash scripts/package-deb.sh build-release
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo dpkg -i build-release/quorrel_*.deb
bash scripts/make-sample.sh "$prefix/sample" >/dev/null
# The installed program reads the shipped defaults and, finding them complete, writes nothing.
/usr/bin/quorrel-cli --id 0A1B2C3D -i "$prefix/sample/image.bin" "$prefix/sample/sample.dif"
build-release/bin/quorrel-cli --settings build-release/packaging/Quorrel.ini --id 0A1B2C3D \
    -i "$prefix/sample/image.bin" -o "$prefix/expected.smp" "$prefix/sample/sample.dif"
cmp "$prefix/expected.smp" "$prefix/sample/sample.smp"
cmp /etc/quorrel/Quorrel.ini build-release/packaging/Quorrel.ini
$sudo dpkg -r quorrel
[ ! -e /usr/bin/quorrel-cli ] && [ ! -e /usr/lib/quorrel ]
$sudo dpkg -P quorrel

echo "== clang build with sanitizers"
CXX=clang++-14 cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DQUORREL_SANITIZE=ON -DQUORREL_BUILD_UI=OFF -DQUORREL_WERROR=ON
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

bash scripts/fuzz.sh

echo "== Windows cross-build and tests under wine"
bash scripts/test-windows.sh
